#include "driver/driver.h"

#include <cstring>

#include "archive/archive_writer.h"
#include "driver/messages.h"
#include "driver/raw_files.h"
#include "image/pdt_writer.h"
#include "platform/console.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "scenario/scenario_set.h"
#include "scene/sprite_names.h"

namespace driver {

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
  scenario::ScenarioSet scenarios;
  scenarios.ListScenarios(gameFolder);
  scenarios.ConvertScenarios(gameFolder, sink);
  for (const char* folder : {"", "CG", "TACHI", "OPENING"}) image::ConvertImageFolder(gameFolder, folder, sink);
  const std::string sep(platform::kSeparatorString);
  AddMatchingFiles(converterFolder + "DATA" + sep + "*.*", sink);
}

int Run() {
  console::Print(text::kBanner1);
  console::Print(text::kBanner2);
  console::Printf(text::kVersionFormat.data(), text::kVersion);
  scene::InitSpriteNameTable();
  archive::ArchiveHeader header = PrepareArchiveHeader();
  console::Print(text::kPrompt1);
  console::Print(text::kPrompt2);
  const std::string converterFolder = platform::ExecutableFolder();

  // The writer's lines about single members reach the console as they come.
  struct ConsoleLines final : archive::Diagnostics {
    void Line(std::string_view sjis) override { console::Print(sjis); }
  } consoleLines;
  if (std::optional<std::string> gameFolder = platform::ChooseGameFolder(); !gameFolder) {
    console::Print(text::kCancelled);
  } else if (archive::ArchiveWriter writer(consoleLines); !writer.OpenSpool(converterFolder)) {
    console::Print(text::kSpoolFailed);
  } else {
    console::Print(text::kConverting);
    ConvertGame(*gameFolder, converterFolder, writer);
    const archive::FinishResult finished = writer.FinishArchive(converterFolder + "DAV299.AVD", header);
    for (const std::string& line : finished.errors) console::Print(line);
    console::Print(text::kFinished);
  }

  console::Print(text::kPressAKey);
  return platform::ReadKey();
}

}  // namespace driver
