#include "driver/driver.h"

#include <cstring>
#include <optional>

#include "archive/archive_writer.h"
#include "driver/command_line.h"
#include "driver/game_data.h"
#include "driver/messages.h"
#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/folder_chooser.h"
#include "platform/interruption.h"
#include "platform/language.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/processors.h"
#include "platform/terminal.h"
#include "scenario/scenario_set.h"

namespace driver {
namespace {

std::string WithSeparator(std::string folder) {
  if (!folder.empty() && folder.back() != platform::kSeparator) folder += platform::kSeparator;
  return folder;
}

std::string DataFolderOf(const std::string& converterFolder) {
  return converterFolder + "DATA" + std::string(platform::kSeparatorString);
}

void PrintBanner(platform::Console& console) {
  console.Print(text::kBanner1);
  console.Print(text::kBanner2);
  console.Printf(AVD_VERSION_FORMAT, text::kVersion);
}

// What a conversion prints besides the passes' lines.
struct Reporting {
  bool messages;  // "... コンバート中です", "終了しました."
  bool summary;   // the summary line, once the archive is written
};

// Converts the game into "DAV299.AVD" in `outputFolder`; true when the
// archive was written. An interruption on the way ends the process.
bool ConvertToArchive(platform::Console& console, const GameFolders& folders, const std::string& outputFolder,
                      unsigned workers, Reporting reporting) {
  platform::ConsoleDiagnostics consoleLines(console);
  CountingDiagnostics diag(consoleLines);
  archive::ArchiveHeader header = PrepareArchiveHeader();
  const std::string archivePath = outputFolder + "DAV299.AVD";
  std::optional<archive::FinishResult> result;
  ConversionCounts counts;
  {
    // Written to standard error by the signal handler as they stand: made
    // ready now for what standard error is.
    const auto shown = [&console](const char* line) {
      return console.ErrorIsTerminal() ? console.ForTerminal(line) : std::string(line);
    };
    const std::string interrupted = shown(console.Tr(text::kInterrupted));
    const std::string interruptedAfterWriting = shown(console.Tr(text::kInterruptedAfterWriting));
    platform::InterruptionHandling interruption(interrupted, interruptedAfterWriting);
    const platform::DiskFileStore files;
    archive::ArchiveWriter writer(diag, files, workers > 0 ? workers : platform::UsableProcessors());
    if (!writer.OpenSpool(outputFolder)) {
      console.Print(text::kSpoolFailed);
      return false;
    }
    if (reporting.messages) console.Print(text::kConverting);
    // The passes' lines take their places among the writer's.
    counts = ConvertGame(folders, {console, writer.OrderedDiagnostics(), writer});
    result = writer.FinishArchive(archivePath, header);
  }
  for (const std::string& error : result->errors) console.Print(error);
  if (reporting.summary && result->written) {
    const uint64_t size = platform::FileSize(archivePath).value_or(0);
    console.Print(SummaryLine(counts, diag.Count(), archivePath, size, console.Texts()));
  }
  if (reporting.messages) console.Print(text::kFinished);
  return result->written;
}

// The folders of `options`, or the line that refuses them (before any file
// is touched).
std::optional<platform::PathLine> CheckFolders(const Options& options, const base::Translations& texts) {
  if (!platform::IsFolder(options.gameFolder))
    return platform::WithPath(texts.Tr("avdconv: not a folder: %s\n"), options.gameFolder);
  if (!options.outputFolder.empty() && !platform::IsFolder(options.outputFolder))
    return platform::WithPath(texts.Tr("avdconv: --output is not a folder: %s\n"), options.outputFolder);
  if (!options.dataFolder.empty() && !platform::IsFolder(options.dataFolder))
    return platform::WithPath(texts.Tr("avdconv: --data is not a folder: %s\n"), options.dataFolder);
  if (!options.force && !HoldsGameData(options.gameFolder)) {
    return platform::WithPath(
        texts.Tr("avdconv: no game data in %s (no MES/*.SIO, no *.MOE); --force converts it anyway\n"),
        options.gameFolder);
  }
  return std::nullopt;
}

int RunCommandLine(platform::Console& console, const Options& options) {
  if (const std::optional<platform::PathLine> refusal = CheckFolders(options, console.Texts())) {
    console.Error(*refusal);
    return kExitUsage;
  }
  // Needed only for what the options leave to it.
  std::string converterFolder;
  if (options.outputFolder.empty() || options.dataFolder.empty()) {
    converterFolder = platform::ExecutableFolder();
    if (converterFolder.empty()) {
      console.Error(console.Tr(text::kNoConverterFolder));
      return kExitNoConverterFolder;
    }
  }
  const std::string output =
      options.outputFolder.empty() ? converterFolder : WithSeparator(options.outputFolder);
  const std::string data =
      options.dataFolder.empty() ? DataFolderOf(converterFolder) : WithSeparator(options.dataFolder);
  console.EnableProgress(!options.quiet);
  if (!options.quiet) PrintBanner(console);
  const bool written =
      ConvertToArchive(console, {WithSeparator(options.gameFolder), data}, output, options.jobs,
                       {.messages = !options.quiet, .summary = !options.quiet});
  return written ? kExitWritten : kExitNotWritten;
}

}  // namespace

archive::ArchiveHeader PrepareArchiveHeader() {
  archive::ArchiveHeader header{};
  std::memcpy(header.data() + archive::kMagicOffset, "KELPIX", 6);
  std::memcpy(header.data() + archive::kTitleOffset, text::kGameTitle.data(), text::kGameTitle.size());
  base::PutU16(header.data() + archive::kFormatOffset, 1613);
  base::PutU16(header.data() + archive::kKindOffset, 2);
  base::PutU16(header.data() + archive::kEntrySizeFieldOffset, 16);
  base::PutU16(header.data() + archive::kNameSizeFieldOffset, 8);
  return header;
}

ConversionCounts ConvertGame(const GameFolders& folders, const PassContext& context) {
  MemberNames names;
  PassContext pass = context;
  pass.names = &names;
  ConversionCounts counts;
  scenario::ScenarioSet scenarios;
  ListScenarios(folders.game, scenarios, pass);
  counts.scenarios = ConvertScenarios(folders.game, scenarios, pass);
  for (const char* folder : {"", "CG", "TACHI", "OPENING"}) {
    counts.pictures += ConvertImageFolder(folders.game, folder, pass);
  }
  counts.dataFiles = AddMatchingFiles(folders.data + "*.*", pass);
  return counts;
}

int RunInteractive(unsigned workers) {
  platform::Console console;
  console.UseLanguage(platform::UserLanguage());
  PrintBanner(console);
  console.Print(text::kPrompt1);
  console.Print(text::kPrompt2);
  const std::string converterFolder = platform::ExecutableFolder();
  if (converterFolder.empty()) {
    // Nothing to convert into: said, and the window stays until a key is
    // pressed, but the status is the error's, not the key's.
    console.Error(console.Tr(text::kNoConverterFolder));
    console.Print(text::kPressAKey);
    platform::ReadKey();
    return kExitNoConverterFolder;
  }
  if (std::optional<std::string> gameFolder = platform::ChooseGameFolder(console, HoldsGameData);
      !gameFolder) {
    console.Print(text::kCancelled);
  } else {
    // A pipe receives exactly the messages it always has; a person sees the summary too.
    ConvertToArchive(console, {*gameFolder, DataFolderOf(converterFolder)}, converterFolder, workers,
                     {.messages = true, .summary = console.IsTerminal()});
  }
  console.Print(text::kPressAKey);
  return platform::ReadKey();
}

namespace {

// A command-line run: its exit status.
int RunArguments(platform::Console& console, std::span<const std::string_view> args) {
  const ParsedCommandLine parsed = ParseCommandLine(args, console.Texts());
  if (!parsed.error.empty()) {
    console.Error(parsed.error + "\n");
    return kExitUsage;
  }
  switch (parsed.options.action) {
    case Options::Action::kHelp:
      console.Print(HelpText(console.Texts()));
      return kExitWritten;
    case Options::Action::kVersion:
      console.Print(VersionText());
      return kExitWritten;
    default:
      return RunCommandLine(console, parsed.options);
  }
}

}  // namespace

int Run(std::span<const std::string_view> args) {
  if (args.empty()) return RunInteractive();
  platform::Console console;
  console.UseLanguage(platform::UserLanguage());
  const int status = RunArguments(console, args);
  // A window that would close with the run stays until it has been read;
  // the status stays the run's.
  if (WaitsForAKeyAtTheEnd(platform::ConsoleProcessCount(), console.IsTerminal())) {
    console.Print(text::kPressAKey);
    platform::ReadKey();
  }
  return status;
}

}  // namespace driver
