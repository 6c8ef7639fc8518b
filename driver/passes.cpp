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

void ListScenarios(const std::string& gameFolder, scenario::ScenarioSet& scenarios, const PassContext& pass) {
  scenarios.Clear();
  for (const std::string& found : pass.listNames(ScenarioFolder(gameFolder) + "*.SIO")) {
    scenarios.AddFoundName(found, pass.diag);
  }
}

std::vector<std::string> ListMatchingNames(const std::string& pattern) {
  std::vector<std::string> names;
  platform::FileSearch search;
  for (const char* name = search.FindFirstName(pattern); name; name = search.FindNextName())
    names.push_back(name);
  return names;
}

size_t ConvertScenarios(const std::string& gameFolder, const scenario::ScenarioSet& scenarios,
                        const PassContext& pass) {
  scenario::ScenarioTranslator translator(TranslatorDispatchTable(), scenarios, pass.diag);
  const std::string folder = ScenarioFolder(gameFolder);
  std::vector<uint8_t> bytes;
  platform::PassProgress progress(pass.console, "Scenarios", scenarios.Count());
  size_t handedOn = 0;
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
    ++handedOn;
  }
  return handedOn;
}

size_t ConvertImageFolder(const std::string& root, const std::string& folder, const PassContext& pass) {
  const std::string prefix = folder.empty() ? root : root + folder + platform::kSeparator;
  const std::vector<std::string> names = pass.listNames(prefix + "*.MOE");
  platform::PassProgress progress(pass.console, folder.empty() ? "Pictures" : "Pictures " + folder,
                                  names.size());
  std::vector<uint8_t> file;
  size_t handedOn = 0;
  for (const std::string& name : names) {
    progress.Next(name);
    const std::string path = prefix + name;
    if (platform::ReadWholeFile(path, file) != platform::ReadStatus::kOk) continue;
    std::optional<std::vector<uint8_t>> member = image::ConvertPicture(file, path, pass.diag);
    if (!member) continue;
    pass.sink.AddMember(image::MakePdtName(name), std::move(*member));
    ++handedOn;
  }
  return handedOn;
}

bool AddRawFile(const std::string& path, const PassContext& pass) {
  std::vector<uint8_t> bytes;
  switch (platform::ReadWholeFile(path, bytes)) {
    case platform::ReadStatus::kOk:
    case platform::ReadStatus::kEmpty:
      break;
    case platform::ReadStatus::kCannotOpen:
      return false;
    case platform::ReadStatus::kNoMemory:
    case platform::ReadStatus::kTooLarge:
      pass.diag.Line("Could not allocate memory.");
      return false;
    case platform::ReadStatus::kReadError:
      pass.diag.Report("Warning : cannot read %s; left out\n", path.c_str());
      return false;
  }
  pass.sink.AddMember(path.substr(platform::NamePartStart(path)), std::move(bytes));
  return true;
}

size_t AddMatchingFiles(const std::string& pattern, const PassContext& pass) {
  const std::string prefix = pattern.substr(0, platform::NamePartStart(pattern));
  const std::vector<std::string> names = pass.listNames(pattern);
  platform::PassProgress progress(pass.console, "Data files", names.size());
  size_t handedOn = 0;
  for (const std::string& name : names) {
    progress.Next(name);
    if (AddRawFile(prefix + name, pass)) ++handedOn;
  }
  return handedOn;
}

}  // namespace driver
