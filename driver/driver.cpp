#include "driver/driver.h"

#include <cstring>

#include "archive/archive_writer.h"
#include "driver/messages.h"
#include "platform/console.h"
#include "platform/folder_chooser.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/processors.h"
#include "platform/terminal.h"
#include "scenario/scenario_set.h"

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

void ConvertGame(const std::string& gameFolder, const std::string& converterFolder, const PassContext& pass) {
  scenario::ScenarioSet scenarios;
  ListScenarios(gameFolder, scenarios, pass.diag);
  ConvertScenarios(gameFolder, scenarios, pass);
  for (const char* folder : {"", "CG", "TACHI", "OPENING"}) ConvertImageFolder(gameFolder, folder, pass);
  AddMatchingFiles(converterFolder + "DATA" + std::string(platform::kSeparatorString) + "*.*", pass);
}

int Run(unsigned workers) {
  platform::Console console;
  platform::ConsoleDiagnostics diag(console);
  const platform::DiskFileStore files;
  console.Print(text::kBanner1);
  console.Print(text::kBanner2);
  console.Printf(text::kVersionFormat.data(), text::kVersion);
  archive::ArchiveHeader header = PrepareArchiveHeader();
  console.Print(text::kPrompt1);
  console.Print(text::kPrompt2);
  const std::string converterFolder = platform::ExecutableFolder();

  if (std::optional<std::string> gameFolder = platform::ChooseGameFolder(console); !gameFolder) {
    console.Print(text::kCancelled);
  } else if (archive::ArchiveWriter writer(diag, files, workers > 0 ? workers : platform::UsableProcessors());
             !writer.OpenSpool(converterFolder)) {
    console.Print(text::kSpoolFailed);
  } else {
    console.Print(text::kConverting);
    // The passes' lines take their places among the writer's.
    ConvertGame(*gameFolder, converterFolder, {console, writer.OrderedDiagnostics(), writer});
    for (const std::string& error : writer.FinishArchive(converterFolder + "DAV299.AVD", header).errors) {
      console.Print(error);
    }
    console.Print(text::kFinished);
  }

  console.Print(text::kPressAKey);
  return platform::ReadKey();
}

}  // namespace driver
