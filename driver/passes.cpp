#include "driver/passes.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "base/printable.h"
#include "driver/dispatch_table.h"
#include "image/pdt_writer.h"
#include "platform/file_io.h"
#include "platform/file_search.h"
#include "platform/names.h"
#include "platform/paths.h"
#include "scenario/scenario_translator.h"

namespace driver {
namespace {

std::string ScenarioFolder(const std::string& gameFolder) {
  return gameFolder + "MES" + std::string(platform::kSeparatorString);
}

// A name or path as the converter's lines show it.
std::string Shown(std::string_view path) { return platform::PathForMessage(path); }
// An archive name (Shift-JIS) as the lines show it.
std::string ShownName(std::string_view name) { return base::Printable(name, base::TextEncoding::kShiftJis); }

// The files `pattern` finds whose names Shift-JIS can hold; every other one
// is left out with its line.
std::vector<platform::FoundName> ListHoldable(const std::string& pattern, const PassContext& pass) {
  std::vector<platform::FoundName> found = pass.listNames(pattern);
  const std::string folder = pattern.substr(0, platform::NamePartStart(pattern));
  std::erase_if(found, [&](const platform::FoundName& f) {
    if (!f.archive.empty()) return false;
    pass.diag.Report("Warning : no Shift-JIS name for %s; left out\n", Shown(folder + f.file).c_str());
    return true;
  });
  return found;
}

enum class Found { kRead, kEmpty, kTooLarge, kSkipped };

// Reads a file a pass has found into `bytes`, saying what the policy of
// passes.h says for one that cannot be held in memory or read.
Found ReadFoundFile(const std::string& path, std::vector<uint8_t>& bytes, const PassContext& pass,
                    uint64_t maxSize = UINT64_MAX) {
  switch (platform::ReadWholeFile(path, bytes, maxSize)) {
    case platform::ReadStatus::kOk:
      return Found::kRead;
    case platform::ReadStatus::kEmpty:
      return Found::kEmpty;
    case platform::ReadStatus::kTooLarge:
      return Found::kTooLarge;
    case platform::ReadStatus::kCannotOpen:
      break;
    case platform::ReadStatus::kNoMemory:
      pass.diag.Line(base::kNoMemoryLine);
      break;
    case platform::ReadStatus::kReadError:
      pass.diag.Report("Warning : cannot read %s; left out\n", Shown(path).c_str());
      break;
  }
  return Found::kSkipped;
}

}  // namespace

void ListScenarios(const std::string& gameFolder, scenario::ScenarioSet& scenarios, const PassContext& pass) {
  scenarios.Clear();
  for (const platform::FoundName& found : ListHoldable(ScenarioFolder(gameFolder) + "*.SIO", pass)) {
    scenarios.AddFoundName(found.archive, pass.diag, found.file);
  }
}

std::vector<platform::FoundName> ListMatchingNames(const std::string& pattern) {
  std::vector<platform::FoundName> names;
  platform::FileSearch search;
  for (const platform::FoundName* found = search.FindFirstName(pattern); found; found = search.FindNextName())
    names.push_back(*found);
  return names;
}

size_t ConvertScenarios(const std::string& gameFolder, const scenario::ScenarioSet& scenarios,
                        const PassContext& pass) {
  scenario::ScenarioTranslator translator(TranslatorDispatchTable(), scenarios, pass.diag);
  const std::string folder = ScenarioFolder(gameFolder);
  std::vector<uint8_t> bytes;
  platform::PassProgress progress(pass.console, pass.console.Tr("Scenarios"), scenarios.Count());
  size_t handedOn = 0;
  for (size_t number = 1; number <= scenarios.Count(); ++number) {
    const std::string& name = scenarios.Name(number);
    progress.Next(ShownName(name));
    switch (ReadFoundFile(folder + scenarios.FileName(number), bytes, pass,
                          scenario::ScenarioTranslator::kMaxSourceSize)) {
      case Found::kRead:
        break;
      case Found::kTooLarge:
        pass.diag.Report("Warning : scenario file longer than 65536 bytes, skipped: %s\n",
                         ShownName(name).c_str());
        continue;
      case Found::kEmpty:
      case Found::kSkipped:
        continue;
    }
    const std::span<const uint8_t> translated = translator.Translate(bytes, name);
    if (pass.pictures) pass.pictures->AddShown(translator.State().pictures);
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
  const std::vector<platform::FoundName> names = ListHoldable(prefix + "*.MOE", pass);
  platform::PassProgress progress(pass.console,
                                  folder.empty()
                                      ? pass.console.Tr("Pictures")
                                      : base::Format(pass.console.Tr("Pictures %s"), folder.c_str()),
                                  names.size());
  std::vector<uint8_t> file;
  size_t handedOn = 0;
  for (const platform::FoundName& name : names) {
    progress.Next(ShownName(name.archive));
    const std::string path = prefix + name.file;
    if (ReadFoundFile(path, file, pass) != Found::kRead) continue;
    std::optional<std::vector<uint8_t>> member = image::ConvertPicture(file, Shown(path), pass.diag);
    if (!member) continue;
    pass.sink.AddMember(image::MakePdtName(name.archive), std::move(*member));
    ++handedOn;
  }
  return handedOn;
}

bool AddRawFile(const std::string& path, const PassContext& pass, std::string_view memberName) {
  std::vector<uint8_t> bytes;
  switch (ReadFoundFile(path, bytes, pass)) {
    case Found::kRead:
    case Found::kEmpty:
      break;
    case Found::kTooLarge:  // no limit is asked for
    case Found::kSkipped:
      return false;
  }
  pass.sink.AddMember(
      memberName.empty() ? path.substr(platform::NamePartStart(path)) : std::string(memberName),
      std::move(bytes));
  return true;
}

size_t AddMatchingFiles(const std::string& pattern, const PassContext& pass,
                        std::span<const std::string_view> ownFiles) {
  const std::string prefix = pattern.substr(0, platform::NamePartStart(pattern));
  std::vector<platform::FoundName> names = ListHoldable(pattern, pass);
  std::erase_if(names, [&](const platform::FoundName& f) {
    const bool own = std::any_of(ownFiles.begin(), ownFiles.end(),
                                 [&](std::string_view name) { return platform::SameFileName(f.file, name); });
    if (own)
      pass.diag.Report("Warning : %s is written by this run, not data; left out\n",
                       Shown(prefix + f.file).c_str());
    return own;
  });
  platform::PassProgress progress(pass.console, pass.console.Tr("Data files"), names.size());
  size_t handedOn = 0;
  for (const platform::FoundName& name : names) {
    progress.Next(ShownName(name.archive));
    if (AddRawFile(prefix + name.file, pass, name.archive)) ++handedOn;
  }
  return handedOn;
}

}  // namespace driver
