#include "driver/driver.h"

#include <optional>

#include "archive/archive_writer.h"
#include "driver/command_line.h"
#include "driver/game_data.h"
#include "driver/home_folder.h"
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

constexpr std::string_view kArchiveName = "DAV299.AVD";

std::string DataFolderOf(const std::string& converterFolder) {
  return converterFolder + "DATA" + std::string(platform::kSeparatorString);
}

// The folder of DATA, the archive and the spool when the options leave them
// to the converter: its own, or the working folder for an installed one.
std::string ConverterHome() {
  const std::string own = platform::ExecutableFolder();
  if (own.empty()) return own;
  return HomeFolder(own, platform::IsFolder(DataFolderOf(own)), platform::WorkingFolder());
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
  archive::ArchiveHeader header = archive::MakeHeader();
  const std::string archivePath = outputFolder + std::string(kArchiveName);
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
    const platform::DiskFileStore files(console.Texts());
    archive::ArchiveWriter writer(diag, files, workers > 0 ? workers : platform::UsableProcessors());
    if (!writer.OpenSpool(outputFolder)) {
      console.Print(text::kSpoolFailed);
      return false;
    }
    if (reporting.messages) console.Print(text::kConverting);
    // The passes' lines take their places among the writer's.
    PictureCheck pictures;
    GameFolders read = folders;
    read.dataIsOutput = platform::SameFolder(folders.data, outputFolder);
    counts = ConvertGame(read, {console, writer.OrderedDiagnostics(), writer, ListMatchingNames, &pictures});
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

// The folders of the options, each made full before anything is appended
// to it (empty: not given).
struct FullFolders {
  std::string game, output, data;
};

// The folders of `options` made full, or the line that refuses them (before
// any file is touched). The lines name a folder as it was given.
std::optional<platform::PathLine> CheckFolders(const Options& options, FullFolders& full,
                                               const base::Translations& texts) {
  const auto folder = [](const std::string& given, std::string& path) {
    if (given.empty()) return true;
    path = platform::FullFolderPath(given).value_or("");
    return !path.empty() && platform::IsFolder(path);
  };
  if (!folder(options.gameFolder, full.game))
    return platform::WithPath(texts.Tr("avdconv: not a folder: %s\n"), options.gameFolder);
  if (!folder(options.outputFolder, full.output))
    return platform::WithPath(texts.Tr("avdconv: --output is not a folder: %s\n"), options.outputFolder);
  if (!folder(options.dataFolder, full.data))
    return platform::WithPath(texts.Tr("avdconv: --data is not a folder: %s\n"), options.dataFolder);
  if (!options.force && !HoldsGameData(full.game)) {
    return platform::WithPath(
        texts.Tr("avdconv: no game data in %s (no MES/*.SIO, no *.MOE); --force converts it anyway\n"),
        options.gameFolder);
  }
  return std::nullopt;
}

int RunCommandLine(platform::Console& console, const Options& options) {
  FullFolders full;
  if (const std::optional<platform::PathLine> refusal = CheckFolders(options, full, console.Texts())) {
    console.Error(*refusal);
    return kExitUsage;
  }
  // Needed only for what the options leave to it.
  std::string converterFolder;
  if (full.output.empty() || full.data.empty()) {
    converterFolder = ConverterHome();
    if (converterFolder.empty()) {
      console.Error(console.Tr(text::kNoConverterFolder));
      return kExitNoConverterFolder;
    }
  }
  const std::string output = full.output.empty() ? converterFolder : full.output;
  const std::string data = full.data.empty() ? DataFolderOf(converterFolder) : full.data;
  console.EnableProgress(!options.quiet);
  if (!options.quiet) PrintBanner(console);
  const bool written = ConvertToArchive(console, {full.game, data}, output, options.jobs,
                                        {.messages = !options.quiet, .summary = !options.quiet});
  return written ? kExitWritten : kExitNotWritten;
}

}  // namespace

ConversionCounts ConvertGame(const GameFolders& folders, const PassContext& pass) {
  // With a check, the members pass through it on their way to the sink, and
  // the scenario pass hands it what each scenario shows.
  std::optional<RecordingSink> recorder;
  if (pass.pictures) recorder.emplace(pass.sink, *pass.pictures);
  MemberNames names;
  const PassContext run{pass.console, pass.diag,
                        recorder ? static_cast<base::MemberSink&>(*recorder) : pass.sink, pass.listNames,
                        pass.pictures, &names};
  const auto folder = [&](std::string_view name) {
    if (recorder) recorder->SetFolder(name);
  };
  ConversionCounts counts;
  scenario::ScenarioSet scenarios;
  ListScenarios(folders.game, scenarios, run);
  counts.scenarios = ConvertScenarios(folders.game, scenarios, run);
  for (const char* sub : {"", "CG", "TACHI", "OPENING"}) {
    folder(sub);
    counts.pictures += ConvertImageFolder(folders.game, sub, run);
  }
  folder(PictureCheck::kDataFolder);
  // Made by the run itself: never data.
  static constexpr std::string_view kOwnFiles[] = {archive::ArchiveWriter::kSpoolName, kArchiveName};
  counts.dataFiles =
      AddMatchingFiles(folders.data + "*.*", run,
                       folders.dataIsOutput ? std::span(kOwnFiles) : std::span<const std::string_view>());
  if (pass.pictures) ReportMissingPictures(pass.pictures->Missing(), pass.diag);
  return counts;
}

int RunInteractive(unsigned workers) {
  platform::Console console;
  console.UseLanguage(platform::UserLanguage());
  PrintBanner(console);
  console.Print(text::kPrompt1);
  console.Print(text::kPrompt2);
  const std::string converterFolder = ConverterHome();
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
