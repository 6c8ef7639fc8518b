#include "driver/passes.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "driver/dispatch_table.h"
#include "image/pdt_writer.h"
#include "platform/file_io.h"
#include "platform/file_search.h"
#include "platform/paths.h"
#include "scenario/scenario_translator.h"

namespace driver {
namespace {

std::string ScenarioFolder(const std::string& gameFolder) {
  return gameFolder + "MES" + std::string(platform::kSeparatorString);
}

}  // namespace

void ListScenarios(const std::string& gameFolder, scenario::ScenarioSet& scenarios,
                   archive::Diagnostics& diag) {
  scenarios.Clear();
  platform::FileSearch search;
  for (const char* found = search.FindFirstName(ScenarioFolder(gameFolder) + "*.SIO"); found;
       found = search.FindNextName()) {
    scenarios.AddFoundName(found, diag);
  }
}

void ConvertScenarios(const std::string& gameFolder, const scenario::ScenarioSet& scenarios,
                      const PassContext& pass) {
  scenario::ScenarioTranslator translator(TranslatorDispatchTable(), scenarios, pass.diag);
  const std::string folder = ScenarioFolder(gameFolder);
  std::vector<uint8_t> bytes;
  platform::PassProgress progress(pass.console, "Scenarios");
  for (size_t number = 1; number <= scenarios.Count(); ++number) {
    const std::string& name = scenarios.Name(number);
    progress.Next(name);
    switch (platform::ReadWholeFile(folder + name, bytes, scenario::ScenarioTranslator::kMaxSourceSize)) {
      case platform::ReadStatus::kOk:
        break;
      case platform::ReadStatus::kTooLarge:
        pass.diag.Report("Warning : scenario file longer than 65536 bytes, skipped: %s\n", name.c_str());
        continue;
      default:  // cannot be opened or read, or empty
        continue;
    }
    const std::span<const uint8_t> translated = translator.Translate(bytes, name);
    char member[16];
    std::snprintf(member, sizeof member, "SEEN%03zu.TXT", number);
    // The translator reuses its output for the next scenario: the sink copies.
    pass.sink.AddMember(member, translated.data(), translated.size());
  }
}

void ConvertImageFolder(const std::string& root, const std::string& folder, const PassContext& pass) {
  const std::string prefix = folder.empty() ? root : root + folder + platform::kSeparator;
  platform::PassProgress progress(pass.console, folder.empty() ? "Pictures" : "Pictures " + folder);
  platform::FileSearch search;
  std::vector<uint8_t> file;
  for (const char* name = search.FindFirstName(prefix + "*.MOE"); name; name = search.FindNextName()) {
    progress.Next(name);
    const std::string path = prefix + name;
    if (platform::ReadWholeFile(path, file) != platform::ReadStatus::kOk) continue;
    std::optional<std::vector<uint8_t>> member = image::ConvertPicture(file, path, pass.diag);
    if (member) pass.sink.AddMember(image::MakePdtName(name), std::move(*member));
  }
}

void AddRawFile(const std::string& path, const PassContext& pass) {
  std::vector<uint8_t> bytes;
  switch (platform::ReadWholeFile(path, bytes)) {
    case platform::ReadStatus::kOk:
    case platform::ReadStatus::kEmpty:
      break;
    case platform::ReadStatus::kCannotOpen:
      return;
    case platform::ReadStatus::kNoMemory:
    case platform::ReadStatus::kTooLarge:
      pass.diag.Line("Could not allocate memory.");
      return;
    case platform::ReadStatus::kReadError:
      pass.diag.Report("Warning : cannot read %s; left out\n", path.c_str());
      return;
  }
  pass.sink.AddMember(path.substr(platform::NamePartStart(path)), std::move(bytes));
}

void AddMatchingFiles(const std::string& pattern, const PassContext& pass) {
  const std::string prefix = pattern.substr(0, platform::NamePartStart(pattern));
  platform::PassProgress progress(pass.console, "Data files");
  platform::FileSearch search;
  for (const char* name = search.FindFirstName(pattern); name; name = search.FindNextName()) {
    progress.Next(name);
    AddRawFile(prefix + name, pass);
  }
}

}  // namespace driver
