#include "driver/driver.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/diagnostics.h"
#include "driver/dispatch_table.h"
#include "driver/messages.h"
#include "driver/raw_files.h"
#include "image/pdt_writer.h"
#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/file_search.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "scenario/scenario_set.h"
#include "scenario/scenario_translator.h"

namespace driver {
namespace {

// Converter lines go to the console as they come.
class ConsoleDiagnostics final : public archive::Diagnostics {
 public:
  void Line(std::string_view sjis) override { console::Print(sjis); }
};

std::string ScenarioFolder(const std::string& gameFolder) {
  return gameFolder + "MES" + std::string(platform::kSeparatorString);
}

// Numbers the scenario files of `gameFolder` afresh, in the order the search
// finds them.
void ListScenarios(const std::string& gameFolder, scenario::ScenarioSet& scenarios,
                   archive::Diagnostics& diag) {
  scenarios.Clear();
  for (const char* found = platform::FindFirstName(ScenarioFolder(gameFolder) + "*.SIO"); found;
       found = platform::FindNextName()) {
    scenarios.AddFoundName(found, diag);
  }
}

// Translates every listed scenario and hands each result to `sink` as
// "SEEN%03d.TXT". A file that cannot be read or is empty is skipped
// silently; one longer than the translator takes is skipped with a warning
// line. Skipped files keep their numbers.
void ConvertScenarios(const std::string& gameFolder, const scenario::ScenarioSet& scenarios,
                      archive::MemberSink& sink, archive::Diagnostics& diag) {
  scenario::ScenarioTranslator translator(TranslatorDispatchTable(), scenarios, diag);
  const std::string folder = ScenarioFolder(gameFolder);
  std::vector<uint8_t> bytes;
  console::PassProgress progress("Scenarios");
  for (size_t number = 1; number <= scenarios.Count(); ++number) {
    const std::string& name = scenarios.Name(number);
    progress.Next(name);
    switch (platform::ReadWholeFile(folder + name, bytes, scenario::ScenarioTranslator::kMaxSourceSize)) {
      case platform::ReadStatus::kOk:
        break;
      case platform::ReadStatus::kTooLarge:
        diag.Report("Warning : scenario file longer than 65536 bytes, skipped: %s\n", name.c_str());
        continue;
      default:  // cannot be opened or read, or empty
        continue;
    }
    const std::span<const uint8_t> target = translator.Translate(bytes, name);
    char member[16];
    std::snprintf(member, sizeof member, "SEEN%03zu.TXT", number);
    sink.AddMember(member, target.data(), target.size());
  }
}

}  // namespace

archive::ArchiveHeader PrepareArchiveHeader() {
  archive::ArchiveHeader header{};
  std::memcpy(header.data() + archive::kMagicOffset, "KELPIX", 6);
  std::memcpy(header.data() + archive::kTitleOffset, text::kGameTitle.data(), text::kGameTitle.size());
  archive::PutU16(header.data() + archive::kFormatOffset, 1613);
  archive::PutU16(header.data() + archive::kKindOffset, 2);
  archive::PutU16(header.data() + archive::kEntrySizeFieldOffset, 16);
  archive::PutU16(header.data() + archive::kNameSizeFieldOffset, 8);
  return header;
}

void ConvertGame(const std::string& gameFolder, const std::string& converterFolder,
                 archive::MemberSink& sink) {
  ConsoleDiagnostics diag;
  scenario::ScenarioSet scenarios;
  ListScenarios(gameFolder, scenarios, diag);
  ConvertScenarios(gameFolder, scenarios, sink, diag);
  for (const char* folder : {"", "CG", "TACHI", "OPENING"})
    image::ConvertImageFolder(gameFolder, folder, sink);
  const std::string sep(platform::kSeparatorString);
  AddMatchingFiles(converterFolder + "DATA" + sep + "*.*", sink);
}

int Run() {
  console::Print(text::kBanner1);
  console::Print(text::kBanner2);
  console::Printf(text::kVersionFormat.data(), text::kVersion);
  archive::ArchiveHeader header = PrepareArchiveHeader();
  console::Print(text::kPrompt1);
  console::Print(text::kPrompt2);
  const std::string converterFolder = platform::ExecutableFolder();

  if (std::optional<std::string> gameFolder = platform::ChooseGameFolder(); !gameFolder) {
    console::Print(text::kCancelled);
  } else if (archive::ArchiveWriter writer; !writer.OpenSpool(converterFolder)) {
    console::Print(text::kSpoolFailed);
  } else {
    console::Print(text::kConverting);
    ConvertGame(*gameFolder, converterFolder, writer);
    writer.FinishArchive(converterFolder + "DAV299.AVD", header);
    console::Print(text::kFinished);
  }

  console::Print(text::kPressAKey);
  return platform::ReadKey();
}

}  // namespace driver
