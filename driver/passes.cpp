#include "driver/passes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

#include "archive/archive_format.h"
#include "base/printable.h"
#include "base/sjis.h"
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

// True for a file a copy from macOS leaves beside the game's own: ".DS_Store",
// or an AppleDouble file ("._" and the name of the file it describes, which
// begins with the bytes 00 05 16 07).
bool IsSideFile(const std::string& folder, const std::string& file) {
  if (file == ".DS_Store") return true;
  if (!file.starts_with("._")) return false;
  static constexpr uint8_t kAppleDouble[] = {0x00, 0x05, 0x16, 0x07};
  std::optional<platform::InputFile> in = platform::InputFile::Open(folder + file);
  uint8_t magic[sizeof kAppleDouble];
  return in && in->Size() >= sizeof magic && in->ReadAll(magic, sizeof magic) &&
         std::memcmp(magic, kAppleDouble, sizeof magic) == 0;
}

// Settles the names of `found` that read both as UTF-8 and as raw Shift-JIS
// by the other names of their folder: when those read only one way, the
// name is read that way too; otherwise it is read as UTF-8, and a line says
// so, with both readings.
void SettleAmbiguousNames(const std::string& folder, std::vector<platform::FoundName>& found,
                          const PassContext& pass) {
  if (std::none_of(found.begin(), found.end(), [](const auto& f) { return !f.rawReading.empty(); })) return;
  bool text = false, raw = false;
  for (const platform::FoundName& other : pass.listNames(folder + "*.*")) {
    const platform::NameReadings readings = platform::ReadingsOf(other.file);
    if (readings.Ambiguous()) continue;
    text = text || readings.utf8;
    raw = raw || readings.raw;
  }
  for (platform::FoundName& f : found) {
    if (f.rawReading.empty()) continue;
    if (raw && !text) {
      f.archive = std::move(f.rawReading);
    } else if (!text) {
      const std::string asText = f.archive.empty() ? Shown(f.file) : ShownName(f.archive);
      pass.diag.Report("Warning : %s reads as UTF-8 (%s) and as Shift-JIS (%s); read as UTF-8\n",
                       Shown(folder + f.file).c_str(), asText.c_str(), ShownName(f.rawReading).c_str());
    }
    f.rawReading.clear();
  }
}

// The files `pattern` finds that become members, each under its archive
// name, with the lines of those that do not: side files, names Shift-JIS
// cannot hold, and names that give the member name of another file of the
// folder. `memberName` makes a file's member name of its archive name. Of
// the files of one folder whose member names are one, the file with the
// smallest archive name (then file name) is kept, whatever order the system
// lists them in. Across folders and passes the first member handed on keeps
// its name (Claim, as each is handed on: a file that cannot be read claims
// nothing).
std::vector<platform::FoundName> ListHoldable(const std::string& pattern, const PassContext& pass,
                                              std::string (*memberName)(std::string_view),
                                              bool stored = true) {
  std::vector<platform::FoundName> found = pass.listNames(pattern);
  const std::string folder = pattern.substr(0, platform::NamePartStart(pattern));
  SettleAmbiguousNames(folder, found, pass);
  std::erase_if(found, [&](const platform::FoundName& f) {
    if (IsSideFile(folder, f.file)) {
      pass.diag.Report("Note : %s is a side file of macOS, not game data; skipped\n",
                       Shown(folder + f.file).c_str());
      return true;
    }
    if (!f.archive.empty()) return false;
    pass.diag.Report("Warning : no Shift-JIS name for %s; left out\n", Shown(folder + f.file).c_str());
    return true;
  });
  std::map<std::string, const platform::FoundName*> keptOfFolder;
  for (const platform::FoundName& f : found) {
    const std::string member = memberName(f.archive);
    const platform::FoundName*& kept = keptOfFolder[stored ? archive::StoredName(member) : member];
    if (!kept || std::tie(f.archive, f.file) < std::tie(kept->archive, kept->file)) kept = &f;
  }
  std::vector<platform::FoundName> holdable;
  for (const platform::FoundName& f : found) {
    const std::string member = memberName(f.archive);
    const std::string key = stored ? archive::StoredName(member) : member;
    const platform::FoundName& kept = *keptOfFolder[key];
    if (&kept != &f) {
      pass.diag.Report("Warning : %s and %s give one member name, %s; the second is left out\n",
                       Shown(folder + kept.file).c_str(), Shown(folder + f.file).c_str(),
                       ShownName(key).c_str());
      continue;
    }
    if (stored && member.size() >= archive::kNameSize) {
      pass.diag.Report("Warning : the name of %s is longer than 15 bytes; stored as %s\n",
                       Shown(folder + f.file).c_str(), ShownName(key).c_str());
    }
    holdable.push_back(f);
  }
  return holdable;
}

std::string SameName(std::string_view name) { return std::string(name); }

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

bool MemberNames::Claim(const std::string& stored, const std::string& path, base::Diagnostics& diag) {
  const auto [at, added] = taken_.try_emplace(stored, path);
  if (added) return true;
  diag.Report("Warning : %s and %s give one member name, %s; the second is left out\n",
              Shown(at->second).c_str(), Shown(path).c_str(), ShownName(stored).c_str());
  return false;
}

void ListScenarios(const std::string& gameFolder, scenario::ScenarioSet& scenarios, const PassContext& pass) {
  scenarios.Clear();
  // Scenarios are known by their whole names, upper-cased; only their
  // numbers become members.
  MemberNames scenarioNames;
  PassContext byName = pass;
  byName.names = &scenarioNames;
  const auto upperCased = [](std::string_view name) {
    std::string upper(name);
    base::UpperCaseName(upper);
    return upper;
  };
  for (const platform::FoundName& found :
       ListHoldable(ScenarioFolder(gameFolder) + "*.SIO", byName, upperCased, false)) {
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
    if (pass.names && !pass.names->Claim(member, folder + scenarios.FileName(number), pass.diag)) continue;
    pass.sink.AddMember(member, translated.data(), translated.size());
    ++handedOn;
  }
  return handedOn;
}

size_t ConvertImageFolder(const std::string& root, const std::string& folder, const PassContext& pass) {
  const std::string prefix = folder.empty() ? root : root + folder + platform::kSeparator;
  const std::vector<platform::FoundName> names = ListHoldable(prefix + "*.MOE", pass, image::MakePdtName);
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
    const std::string memberName = image::MakePdtName(name.archive);
    if (pass.names && !pass.names->Claim(archive::StoredName(memberName), path, pass.diag)) continue;
    pass.sink.AddMember(memberName, std::move(*member));
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
  std::string name =
      memberName.empty() ? path.substr(platform::NamePartStart(path)) : std::string(memberName);
  if (pass.names && !pass.names->Claim(archive::StoredName(name), path, pass.diag)) return false;
  pass.sink.AddMember(std::move(name), std::move(bytes));
  return true;
}

size_t AddMatchingFiles(const std::string& pattern, const PassContext& pass,
                        std::span<const std::string_view> ownFiles) {
  const std::string prefix = pattern.substr(0, platform::NamePartStart(pattern));
  std::vector<platform::FoundName> names = ListHoldable(pattern, pass, SameName);
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
