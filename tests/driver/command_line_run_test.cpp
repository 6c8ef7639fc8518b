// The converter run from a script: arguments, no terminal, exit statuses.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "driver/command_line.h"
#include "driver/messages.h"
#include "installed_sample.h"
#include "run_converter.h"
#include "sample/sample_game.h"
#include "sample/sio_writer.h"
#include "test_support.h"
#include "verified_archive.h"

namespace {

namespace fs = std::filesystem;
using namespace driver::text;
using archive::ArchiveContents;
using test_support::ReadFile;
using test_support::RunPiped;
using test_support::RunResult;
using test_support::TempDir;

using Installed = test_support::InstalledSample;

std::string Counts(int scenarios, int pictures, int dataFiles) {
  return "Converted: " + std::to_string(scenarios) + " scenarios, " + std::to_string(pictures) +
         " pictures, " + std::to_string(dataFiles) + " data files; 0 warnings; ";
}

// Without its own folder the converter has no DATA and nowhere to put the
// archive by default: an error of its own, never the working folder instead.
TEST(CommandLineRun, WithoutItsOwnFolderTheConverterStopsWithItsLineAndStatus3UnlessTheOptionsNameBoth) {
  Installed s;
  TempDir out;
  RunResult r =
      RunPiped(s.exe, {s.game}, "C", std::chrono::seconds(60), test_support::WithoutExecutablePath());
  EXPECT_EQ(r.exitStatus, driver::kExitNoConverterFolder);
  EXPECT_EQ(r.errors, kNoConverterFolder);
  EXPECT_EQ(r.output, "");
  r = RunPiped(s.exe, {s.game, "--output", out.Folder()}, "C", std::chrono::seconds(60),
               test_support::WithoutExecutablePath());
  EXPECT_EQ(r.exitStatus, driver::kExitNoConverterFolder) << "DATA is still the converter's";
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"DATA", "avdconv"}));
  EXPECT_FALSE(fs::exists(out.Path() / "DAV299.AVD"));

  r = RunPiped(s.exe, {s.game, "--output", out.Folder(), "--data", (s.Folder() / "DATA").string()}, "C",
               std::chrono::seconds(60), test_support::WithoutExecutablePath());
  EXPECT_EQ(r.exitStatus, driver::kExitWritten) << r.errors;
  EXPECT_TRUE(ArchiveContents(ReadFile(out.Path() / "DAV299.AVD")).valid);

  // At a terminal the line waits for a key, and the status is still the error's.
  test_support::TerminalSession t(s.exe, {}, test_support::WithoutExecutablePath());
  ASSERT_TRUE(t.WaitFor(std::string(kNoConverterFolder) + std::string(kPressAKey)));
  t.Type("a");
  EXPECT_EQ(t.Finish(), driver::kExitNoConverterFolder);
  EXPECT_EQ(t.Output().find(test_support::kChooserTitleSjis), std::string::npos);
}

// Installed among other programs (a "bin" folder without DATA), the
// converter reads DATA from the working folder and writes there, from the
// command line and from the chooser alike; its own folder stays untouched.
TEST(CommandLineRun, AnInstalledConverterReadsAndWritesInTheWorkingFolder) {
  Installed portable;
  ASSERT_EQ(RunPiped(portable.exe, {portable.game}).exitStatus, driver::kExitWritten);
  const std::vector<uint8_t> expected = ReadFile(portable.Archive());

  TempDir root;
  fs::create_directories(root.Path() / "usr" / "bin");
  const std::string exe = test_support::InstallConverter(root.Path() / "usr" / "bin");
  const fs::path work = fs::canonical(root.Path()) / "work";
  fs::create_directories(work);
  fs::copy(portable.Folder() / "DATA", work / "DATA");
  const auto inWork = [&work] {
    if (chdir(work.c_str()) != 0) _exit(126);
  };
  RunResult r = RunPiped(exe, {portable.game}, "C", std::chrono::seconds(60), inWork);
  EXPECT_EQ(r.exitStatus, driver::kExitWritten) << r.errors;
  EXPECT_EQ(ReadFile(work / "DAV299.AVD"), expected);
  EXPECT_NE(r.output.find((work / "DAV299.AVD").string()), std::string::npos) << r.output;
  EXPECT_FALSE(fs::exists(work / "tmp.dat"));
  fs::remove(work / "DAV299.AVD");

  test_support::TerminalSession t(exe, {}, inWork);
  ASSERT_TRUE(t.WaitFor(test_support::kChooserTitleSjis));
  t.Type(portable.game + "\r");
  ASSERT_TRUE(t.WaitFor(kPressAKey));
  t.Type("a");
  EXPECT_EQ(t.Finish(), 'a');
  EXPECT_EQ(ReadFile(work / "DAV299.AVD"), expected);
  std::set<std::string> inBin;
  for (const fs::directory_entry& e : fs::directory_iterator(root.Path() / "usr" / "bin"))
    inBin.insert(e.path().filename());
  EXPECT_EQ(inBin, (std::set<std::string>{"avdconv"}));
}

TEST(CommandLineRun, WithoutATerminalTheArchiveIsTheInteractiveOneAndTheStatusIs0) {
  Installed s;
  RunResult interactive = test_support::RunWithTerminal(s.exe, s.game + "\r", 'a');
  ASSERT_EQ(interactive.exitStatus, 'a');
  const std::vector<uint8_t> expected = ReadFile(s.Archive());
  ASSERT_TRUE(ArchiveContents(expected).valid);
  fs::remove(s.Archive());

  RunResult r = RunPiped(s.exe, {s.game});
  EXPECT_EQ(r.exitStatus, driver::kExitWritten);
  EXPECT_EQ(ReadFile(s.Archive()), expected);
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"DATA", "DAV299.AVD", "avdconv"}));
  // The small sample's archive is 232,667 bytes.
  const std::string summary = Counts(s.report.scenarios, s.report.pictures, s.report.dataFiles) +
                              s.Archive().string() + " (0.2 MiB)\n";
  EXPECT_EQ(r.output, std::string(kBanner1) + std::string(kBanner2) + "Version 0.76\n\n" +
                          std::string(kConverting) + summary + std::string(kFinished));
  EXPECT_EQ(r.errors, "");
  // A person at a terminal is shown the same summary.
  EXPECT_NE(interactive.output.find(summary + std::string(kFinished)), std::string::npos);
}

TEST(CommandLineRun, OutputAndDataFoldersAreHonouredAndQuietPrintsNothingForACleanGame) {
  Installed s;
  TempDir out, data;
  data.Write("extra.bin", "xyz");
  RunResult r = RunPiped(s.exe, {"--output", out.Path().string(), "--data=" + data.Path().string(), "--quiet",
                                 "--jobs", "2", s.game});
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(r.errors, "");
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"DATA", "avdconv"})) << "nothing lands beside the converter";
  EXPECT_FALSE(fs::exists(out.Path() / "tmp.dat"));
  ArchiveContents a = test_support::ReadVerifiedArchive(out.Path() / "DAV299.AVD");
  ASSERT_TRUE(a.valid);
  EXPECT_EQ(a.members.size(), static_cast<size_t>(s.report.scenarios + s.report.pictures + 1));
  ASSERT_NE(a.Find("EXTRA.BIN"), nullptr);
  EXPECT_EQ(a.Find("EXTRA.BIN")->bytes, (std::vector<uint8_t>{'x', 'y', 'z'}));
}

TEST(CommandLineRun, EveryUsageErrorGivesStatus2OneLineAndTouchesNothing) {
  Installed s;
  TempDir out;
  const std::string aFile = out.Write("a-file", "not a folder");
  const std::string missing = out.Folder() + "missing";
  s.bin.Write("DAV299.AVD", "an earlier archive");
  const std::set<std::string> before = s.Entries();
  const std::vector<std::vector<std::string>> errors = {
      {"--bogus", s.game},
      {"--jobs", "0", s.game},
      {"--jobs=65", s.game},
      {"--output"},
      {s.game, s.game},
      {"--quiet"},
      {"--output", missing, s.game},
      {"--data", aFile, s.game},
      {missing},
      {aFile},
      {"--quiet=1", s.game},
  };
  for (const std::vector<std::string>& args : errors) {
    std::string shown;
    for (const std::string& a : args) shown += a + " ";
    RunResult r = RunPiped(s.exe, args);
    EXPECT_EQ(r.exitStatus, driver::kExitUsage) << shown;
    EXPECT_EQ(r.output, "") << shown;
    EXPECT_TRUE(r.errors.starts_with("avdconv: ")) << shown << r.errors;
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), '\n'), 1) << shown << r.errors;
    EXPECT_TRUE(r.errors.ends_with("\n")) << shown;
  }
  EXPECT_EQ(s.Entries(), before);
  EXPECT_EQ(ReadFile(s.Archive()), std::vector<uint8_t>(std::string_view("an earlier archive").begin(),
                                                        std::string_view("an earlier archive").end()));
  std::vector<fs::path> outEntries(fs::directory_iterator(out.Path()), {});
  EXPECT_EQ(outEntries.size(), 1u);
}

TEST(CommandLineRun, HelpAndVersion) {
  Installed s;
  RunResult help = RunPiped(s.exe, {"--help"});
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_EQ(help.output, driver::HelpText());
  RunResult version = RunPiped(s.exe, {"--version"});
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.output, "avdconv 0.76\n");
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"DATA", "avdconv"}));
}

TEST(CommandLineRun, AFolderWithoutGameDataIsRefusedUnlessForced) {
  Installed s;
  TempDir empty;
  empty.Write("readme.txt", "no game here");
  s.bin.Write("DAV299.AVD", "an earlier archive");
  RunResult refused = RunPiped(s.exe, {empty.Path().string()});
  EXPECT_EQ(refused.exitStatus, driver::kExitUsage);
  EXPECT_EQ(refused.output, "");
  EXPECT_EQ(refused.errors, "avdconv: no game data in " + empty.Path().string() +
                                " (no MES/*.SIO, no *.MOE); --force converts it anyway\n");
  EXPECT_EQ(ReadFile(s.Archive()).size(), 18u) << "the earlier archive stays";
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"DATA", "DAV299.AVD", "avdconv"}));

  RunResult forced = RunPiped(s.exe, {"--force", empty.Path().string()});
  EXPECT_EQ(forced.exitStatus, 0);
  ArchiveContents a = test_support::ReadVerifiedArchive(s.Archive());
  ASSERT_TRUE(a.valid);
  EXPECT_EQ(a.members.size(), static_cast<size_t>(s.report.dataFiles));
  EXPECT_NE(forced.output.find(Counts(0, 0, s.report.dataFiles)), std::string::npos) << forced.output;
}

TEST(CommandLineRun, AnArchiveThatCannotBeWrittenGivesStatus1) {
  Installed s;
  TempDir spoolBlocked, archiveBlocked;
  fs::create_directory(spoolBlocked.Path() / "tmp.dat");
  RunResult r = RunPiped(s.exe, {"--output", spoolBlocked.Path().string(), s.game});
  EXPECT_EQ(r.exitStatus, driver::kExitNotWritten);
  EXPECT_NE(r.output.find("Error : cannot create the spool " + spoolBlocked.Folder() +
                          "tmp.dat: Is a directory\n" + std::string(kSpoolFailed)),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("Converted: "), std::string::npos);

  fs::create_directory(archiveBlocked.Path() / "DAV299.AVD");
  r = RunPiped(s.exe, {"--output", archiveBlocked.Path().string(), s.game});
  EXPECT_EQ(r.exitStatus, driver::kExitNotWritten);
  EXPECT_NE(r.output.find("Error : cannot create the archive " + archiveBlocked.Folder() +
                          "DAV299.AVD: Is a directory\n"),
            std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("Converted: "), std::string::npos);
  EXPECT_TRUE(fs::is_directory(archiveBlocked.Path() / "DAV299.AVD"));
}

// A run into a folder where another run is writing leaves that run's spool
// alone and stops with the reason: the spools of two runs never mix.
TEST(CommandLineRun, ASecondRunIntoTheSameFolderStopsBeforeTouchingTheFirstsSpool) {
  Installed s;
  TempDir out;
  const std::string spool = out.Write("tmp.dat", std::string("first run's members"));
  const int held = open(spool.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);
  RunResult r = RunPiped(s.exe, {"--output", out.Path().string(), s.game});
  close(held);
  EXPECT_EQ(r.exitStatus, driver::kExitNotWritten);
  EXPECT_NE(r.output.find("Error : " + spool +
                          " is in use by another run of the converter or another program; one run at a time "
                          "writes into a folder\n" +
                          std::string(kSpoolFailed)),
            std::string::npos)
      << r.output;
  EXPECT_EQ(ReadFile(spool), std::vector<uint8_t>(std::string_view("first run's members").begin(),
                                                  std::string_view("first run's members").end()));
  EXPECT_FALSE(fs::exists(out.Path() / "DAV299.AVD"));
}

// Data taken from the folder the archive goes into: the spool and the
// earlier archive are the run's own files, not data.
TEST(CommandLineRun, TheRunsOwnFilesInTheDataFolderAreLeftOutWithALine) {
  Installed s;
  TempDir out;
  out.Write("extra.bin", "xyz");
  out.Write("DAV299.AVD", "earlier archive");
  // The same folder by another name.
  fs::create_directory_symlink(out.Path(), s.games.Path() / "link");
  RunResult r = RunPiped(s.exe, {"--output", out.Path().string(), "--data",
                                 (s.games.Path() / "link").string(), "--quiet", s.game});
  EXPECT_EQ(r.exitStatus, driver::kExitWritten) << r.output;
  const std::string link = (s.games.Path() / "link/").string();
  const std::string archiveLine =
      "Warning : " + link + "DAV299.AVD is written by this run, not data; left out\n";
  const std::string spoolLine = "Warning : " + link + "tmp.dat is written by this run, not data; left out\n";
  EXPECT_TRUE(r.output == archiveLine + spoolLine || r.output == spoolLine + archiveLine) << r.output;
  ArchiveContents a = test_support::ReadVerifiedArchive(out.Path() / "DAV299.AVD");
  ASSERT_TRUE(a.valid);
  EXPECT_NE(a.Find("EXTRA.BIN"), nullptr);
  EXPECT_EQ(a.Find("DAV299.AVD"), nullptr);
  EXPECT_EQ(a.Find("TMP.DAT"), nullptr);
}

}  // namespace

// A Japanese user gets every line the product adds in Japanese (Shift-JIS on
// a pipe, as every message), the converter's own lines unchanged, and the
// archive of an English run.
TEST(CommandLineRun, InJapaneseTheAddedLinesAreJapaneseAndTheArchiveIsTheSame) {
  Installed s;
  ASSERT_EQ(RunPiped(s.exe, {s.game}, "C").exitStatus, driver::kExitWritten);
  const std::vector<uint8_t> english = ReadFile(s.Archive());
  fs::remove(s.Archive());

  RunResult r = RunPiped(s.exe, {s.game}, "ja_JP.UTF-8");
  EXPECT_EQ(r.exitStatus, driver::kExitWritten);
  EXPECT_EQ(ReadFile(s.Archive()), english);
  const std::string summary =
      tools::Sjis("変換しました: シナリオ " + std::to_string(s.report.scenarios) + " 個, 画像 " +
                  std::to_string(s.report.pictures) + " 枚, データファイル " +
                  std::to_string(s.report.dataFiles) + " 個; 警告 0 件; ") +
      s.Archive().string() + " (0.2 MiB)\n";
  EXPECT_EQ(r.output, std::string(kBanner1) + std::string(kBanner2) + "Version 0.76\n\n" +
                          std::string(kConverting) + summary + std::string(kFinished));

  RunResult help = RunPiped(s.exe, {"--help"}, "ja_JP.UTF-8");
  EXPECT_EQ(help.exitStatus, 0);
  EXPECT_TRUE(help.output.starts_with(tools::Sjis("使い方: avdconv [--output DIR]"))) << help.output;
  EXPECT_NE(help.output.find(tools::Sjis("  --quiet       警告とエラーだけを表示します\n")),
            std::string::npos);
  EXPECT_NE(help.output.find(tools::Sjis("言語: LC_ALL, LC_MESSAGES, LANG のうち")), std::string::npos);

  // LC_MESSAGES before LANG: English lines in a Japanese locale.
  RunResult refused = RunPiped(s.exe, {"--bogus"}, "ja_JP.UTF-8", std::chrono::seconds(60),
                               [] { setenv("LC_MESSAGES", "C", 1); });
  EXPECT_EQ(refused.errors, "avdconv: unknown option --bogus (see --help)\n");
  refused = RunPiped(s.exe, {"--bogus"}, "ja_JP.UTF-8");
  EXPECT_EQ(refused.exitStatus, driver::kExitUsage);
  EXPECT_EQ(refused.errors, tools::Sjis("avdconv: 不明なオプションです: --bogus (--help をご覧ください)\n"));
}
