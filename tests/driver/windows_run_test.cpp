// The Windows converter run as a user or a script runs it: avdconv.exe in a
// process of its own, through its command line (and once without one),
// standard output and error on pipes. Its archives are compared with those
// the Linux build wrote for the same games (scripts/test-windows.sh makes
// them in AVD_LINUX_REFERENCE before the tests run).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/sjis.h"
#include "base/translations.h"
#include "driver/command_line.h"
#include "driver/driver.h"
#include "driver/messages.h"
#include "platform/language.h"
#include "platform/names.h"
#include "platform/windows/wide.h"
#include "sample/sio_writer.h"
#include "test_support.h"
#include "verified_archive.h"
#include "win_process.h"

namespace {

namespace fs = std::filesystem;
using namespace driver::text;
using archive::ArchiveContents;
using test_support::ReadFile;
using test_support::TempDir;

// What the Linux build made of a game: the game (read-only), the DATA folder
// it took, its archive and what it printed on a pipe.
struct LinuxRun {
  fs::path game, data, archive, output;
};

// `name`: "fixed" is part of the sample game (the prologue and one other
// scenario, one picture in each picture folder, one data file) whose
// archive cannot depend on the order in which a system lists a folder;
// "full" is the whole sample game.
LinuxRun Reference(const std::string& name) {
  const fs::path root = fs::absolute(AVD_LINUX_REFERENCE) / name;
  EXPECT_TRUE(fs::exists(root / "DAV299.AVD"))
      << "no archive of the Linux build in " << root.string() << ": scripts/test-windows.sh makes them";
  return {root / "game", root / "DATA", root / "DAV299.AVD", root / "stdout"};
}

// A path in UTF-8 (string() gives the ANSI code page's form, which loses
// what the code page lacks), and back.
std::string Utf8(const fs::path& path) {
  const std::u8string s = path.u8string();
  return std::string(s.begin(), s.end());
}
fs::path FromUtf8(std::string_view utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Text(const fs::path& file) {
  const std::vector<uint8_t> bytes = ReadFile(file);
  return std::string(bytes.begin(), bytes.end());
}

// A copy of the converter, named as it is shipped, in a folder of its own.
struct Installed {
  Installed() {
    exe = (bin.Path() / "avdconv.exe").string();
    fs::copy_file(AVDCONV_PATH, exe);
  }
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator(bin.Path()))
      names.insert(e.path().filename().string());
    return names;
  }
  win_process::Result Run(const std::vector<std::string>& args, DWORD flags = 0) const {
    // Started from a folder of its own: nothing may depend on the working folder.
    return win_process::Run(exe, args, elsewhere.Path().string(), flags);
  }

  TempDir bin, elsewhere;
  std::string exe;
};

// The bytes of the banner a command-line run prints.
std::string Banner() { return std::string(kBanner1) + std::string(kBanner2) + "Version 0.76\n\n"; }

// `text` with the archive path of its summary line ("...; 0 warnings; PATH
// (0.2 MiB)") replaced by "ARCHIVE".
std::string WithoutArchivePath(std::string text) {
  // "; N warnings; PATH (" or, for one, "; 1 warning; PATH (".
  size_t start = text.find(" warnings; ");
  size_t from = start + 11;
  if (start == std::string::npos) {
    start = text.find(" warning; ");
    from = start + 10;
  }
  if (start == std::string::npos) return text;
  const size_t to = text.find(" (", from);
  if (to != std::string::npos) text.replace(from, to - from, "ARCHIVE");
  return text;
}

// The warning lines of the Linux build's run: what a --quiet run prints.
std::string Warnings(const LinuxRun& run) {
  std::string warnings;
  const std::string text = Text(run.output);
  for (size_t at = text.find("Warning : "); at != std::string::npos; at = text.find("Warning : ", at + 1))
    warnings += text.substr(at, text.find('\n', at) + 1 - at);
  return warnings;
}

// Copies `from` to `to` with every folder and file name in lower case, as a
// game copied from a Windows disc may come ("Cg" stays as the disc has it).
void CopyLowerCase(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  for (const fs::directory_entry& e : fs::directory_iterator(from)) {
    std::string name = e.path().filename().string();
    if (name == "CG") {
      name = "Cg";
    } else {
      std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    }
    if (e.is_directory()) {
      CopyLowerCase(e.path(), to / name);
    } else {
      fs::copy_file(e.path(), to / name);
    }
  }
}

TEST(WindowsRun, AGameWhoseArchiveCannotDependOnListingOrderGivesTheLinuxBuildsArchiveAndOutput) {
  const LinuxRun linux = Reference("fixed");
  Installed s;
  TempDir out;
  win_process::Result r =
      s.Run({"--output", out.Path().string(), "--data", linux.data.string(), linux.game.string()});
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(ReadFile(out.Path() / "DAV299.AVD"), ReadFile(linux.archive));
  // Every byte on the pipe as on Linux (no "\r\n"), but the archive's path.
  EXPECT_EQ(WithoutArchivePath(r.out), WithoutArchivePath(Text(linux.output)));
  EXPECT_NE(r.out.find(out.Folder() + "DAV299.AVD ("), std::string::npos) << r.out;
  EXPECT_TRUE(r.out.starts_with(Banner() + std::string(kConverting))) << r.out;
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(out.Path()), {}).size(), 1u) << "no spool left";
}

TEST(WindowsRun, LowerCaseFoldersAndNamesAsOnAWindowsDiscGiveTheSameArchive) {
  const LinuxRun linux = Reference("fixed");
  Installed s;
  TempDir game, out;
  CopyLowerCase(linux.game, game.Path());
  ASSERT_TRUE(fs::exists(game.Path() / "mes" / "prologue.sio"));
  ASSERT_TRUE(fs::is_directory(game.Path() / "Cg"));
  win_process::Result r = s.Run(
      {"--quiet", "--output", out.Path().string(), "--data", linux.data.string(), game.Path().string()});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  EXPECT_EQ(r.out, Warnings(linux)) << "--quiet keeps the warnings, the Linux run's";
  EXPECT_EQ(ReadFile(out.Path() / "DAV299.AVD"), ReadFile(linux.archive));
}

// The numbers of the scenarios and where each member's data lies follow
// the order in which the system lists the folders: Windows (and Wine) list
// a folder sorted by name, Linux in the file system's own order. Every other
// member is the Linux build's byte for byte, and the whole archive is what
// the passes make of the game here.
TEST(WindowsRun, TheWholeSampleGameHasTheLinuxBuildsMembersButForTheScenarioNumbers) {
  const LinuxRun linux = Reference("full");
  Installed s;
  TempDir out;
  win_process::Result r = s.Run({"--quiet", "--jobs", "2", "--output", out.Path().string(), "--data",
                                 linux.data.string(), linux.game.string()});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  ArchiveContents windows = test_support::ReadVerifiedArchive(out.Path() / "DAV299.AVD");
  ArchiveContents theirs(ReadFile(linux.archive));
  ASSERT_TRUE(windows.valid);
  ASSERT_TRUE(theirs.valid);
  ASSERT_EQ(windows.members.size(), theirs.members.size());
  size_t scenarios = 0;
  for (size_t i = 0; i < windows.members.size(); ++i) {
    EXPECT_EQ(windows.members[i].name, theirs.members[i].name);
    if (windows.members[i].name.starts_with("SEEN")) {
      ++scenarios;
    } else {
      EXPECT_EQ(windows.members[i].bytes, theirs.members[i].bytes) << windows.members[i].name;
    }
  }
  EXPECT_EQ(scenarios, 5u);

  test_support::RecordingSink expected;
  test_support::CapturedConsole quiet;
  driver::ConvertGame({linux.game.string() + "\\", linux.data.string() + "\\"},
                      {quiet.Console(), quiet.Diag(), expected});
  ASSERT_EQ(expected.members.size(), windows.members.size());
  for (const test_support::Member& m : expected.members) {
    std::string name = m.name;
    base::UpperCaseName(name);
    const ArchiveContents::Member* stored = windows.Find(name.substr(0, 15));
    ASSERT_NE(stored, nullptr) << name;
    EXPECT_EQ(stored->bytes, m.bytes) << name;
  }
}

TEST(WindowsRun, TheWholeSampleGameGivesTheLinuxBuildsArchiveWhenLinuxListsFoldersAsWindowsDoes) {
  const LinuxRun linux = Reference("full");
  const fs::path linuxInWindowsOrder =
      fs::absolute(AVD_LINUX_REFERENCE) / "full-windows-order" / "DAV299.AVD";
  ASSERT_TRUE(fs::exists(linuxInWindowsOrder));
  Installed s;
  TempDir out;
  win_process::Result r =
      s.Run({"--quiet", "--output", out.Path().string(), "--data", linux.data.string(), linux.game.string()});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  EXPECT_EQ(ReadFile(out.Path() / "DAV299.AVD"), ReadFile(linuxInWindowsOrder));
}

TEST(WindowsRun, TheArchiveGoesToTheOutputFolderAndTheDataComesFromBesideTheConverter) {
  const LinuxRun linux = Reference("fixed");
  Installed s;
  fs::copy(linux.data, s.bin.Path() / "DATA");
  TempDir out;
  win_process::Result r = s.Run({"--quiet", "--output", out.Path().string(), linux.game.string()});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  EXPECT_EQ(ReadFile(out.Path() / "DAV299.AVD"), ReadFile(linux.archive));
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"DATA", "avdconv.exe"}))
      << "nothing lands beside the converter";

  // Without --output the archive lands beside the converter.
  r = s.Run({"--quiet", linux.game.string()});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"DATA", "DAV299.AVD", "avdconv.exe"}));
  EXPECT_EQ(ReadFile(s.bin.Path() / "DAV299.AVD"), ReadFile(linux.archive));
}

TEST(WindowsRun, ASecondRunReplacesTheArchiveOfTheFirst) {
  const LinuxRun fixed = Reference("fixed"), full = Reference("full");
  Installed s;
  TempDir out;
  win_process::Result first =
      s.Run({"--quiet", "--output", out.Path().string(), "--data", full.data.string(), full.game.string()});
  ASSERT_EQ(first.exitCode, static_cast<DWORD>(driver::kExitWritten)) << first.err;
  const uintmax_t firstSize = fs::file_size(out.Path() / "DAV299.AVD");
  win_process::Result second =
      s.Run({"--quiet", "--output", out.Path().string(), "--data", fixed.data.string(), fixed.game.string()});
  EXPECT_EQ(second.exitCode, static_cast<DWORD>(driver::kExitWritten)) << second.err;
  EXPECT_EQ(ReadFile(out.Path() / "DAV299.AVD"), ReadFile(fixed.archive));
  EXPECT_LT(fs::file_size(out.Path() / "DAV299.AVD"), firstSize);
  EXPECT_EQ(std::vector<fs::path>(fs::directory_iterator(out.Path()), {}).size(), 1u);
}

TEST(WindowsRun, AnArchiveNameThatIsAFolderGivesStatus1AndTheFolderStays) {
  const LinuxRun linux = Reference("fixed");
  Installed s;
  TempDir out;
  out.Write("DAV299.AVD\\inside.txt", "kept");
  win_process::Result r =
      s.Run({"--output", out.Path().string(), "--data", linux.data.string(), linux.game.string()});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitNotWritten));
  EXPECT_NE(r.out.find("Error : "), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("Converted: "), std::string::npos);
  EXPECT_EQ(Text(out.Path() / "DAV299.AVD" / "inside.txt"), "kept");
  EXPECT_FALSE(fs::exists(out.Path() / "DAV299.AVD.part"));
}

TEST(WindowsRun, UsageErrorsAndAFolderWithoutGameDataGiveStatus2AndTouchNothing) {
  const LinuxRun linux = Reference("fixed");
  Installed s;
  TempDir empty;
  const std::string aFile = empty.Write("readme.txt", "no game here");
  s.bin.Write("DAV299.AVD", "an earlier archive");
  const std::vector<std::vector<std::string>> refused = {
      {"--bogus", linux.game.string()}, {"--jobs", "0", linux.game.string()},
      {empty.Folder() + "missing"},     {aFile},
      {empty.Path().string()},
  };
  for (const std::vector<std::string>& args : refused) {
    win_process::Result r = s.Run(args);
    EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitUsage)) << args[0];
    EXPECT_EQ(r.out, "") << args[0];
    EXPECT_TRUE(r.err.starts_with("avdconv: ") && r.err.ends_with("\n")) << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos) << r.err;
  }
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"DAV299.AVD", "avdconv.exe"}));
  EXPECT_EQ(Text(s.bin.Path() / "DAV299.AVD"), "an earlier archive");
  // --force converts a folder without game data: the DATA files alone.
  win_process::Result forced =
      s.Run({"--force", "--quiet", "--data", linux.data.string(), empty.Path().string()});
  EXPECT_EQ(forced.exitCode, static_cast<DWORD>(driver::kExitWritten)) << forced.err;
  EXPECT_TRUE(test_support::ReadVerifiedArchive(s.bin.Path() / "DAV299.AVD").valid);
}

// Arguments come in UTF-16 whatever the code page; a pipe gets them in a
// usage error as Shift-JIS, with \xNN for what Shift-JIS lacks.
TEST(WindowsRun, AUsageErrorShowsAUtf8ArgumentInShiftJisOnAPipe) {
  Installed s;
  const base::Translations texts(platform::UserLanguage());
  win_process::Result r = s.Run({"--bogus-é", "game"});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitUsage));
  EXPECT_EQ(r.err, "avdconv: " +
                       base::Format(texts.Tr("unknown option %s (see --help)"), "--bogus-\\xC3\\xA9") + "\n");
  r = s.Run({"キルナート", "Café"});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitUsage));
  EXPECT_EQ(r.err, "avdconv: " +
                       base::Format(texts.Tr("more than one game folder given: %s, %s"),
                                    "\x83L\x83\x8B\x83i\x81[\x83g", "Caf\\xC3\\xA9") +
                       "\n");
  EXPECT_EQ(r.out, "");
}

// Double-clicked, the converter shows the folder dialog. Where no dialog can
// be shown (Wine without a display) the run is cancelled, and without a
// console there is no key to wait for: the status is -1, as on Linux.
TEST(WindowsRun, WithoutADisplayTheDialogCancelsAndTheRunEnds) {
  Installed s;
  win_process::Result r =
      win_process::Run(s.exe, {}, s.elsewhere.Path().string(), DETACHED_PROCESS, std::chrono::seconds(60));
  ASSERT_TRUE(r.started);
  ASSERT_FALSE(r.timedOut) << "the dialog waited";
  EXPECT_EQ(static_cast<int>(r.exitCode), -1);
  EXPECT_EQ(r.out, Banner() + std::string(kPrompt1) + std::string(kPrompt2) + std::string(kCancelled) +
                       std::string(kPressAKey));
  EXPECT_EQ(s.Entries(), (std::set<std::string>{"avdconv.exe"}));
}

// The code page the script runs this test program in (1252, Wine's
// default, or 932, Japanese), where it names one; Wine takes the UI
// language from the same locale, so the added lines are Japanese in 932.
TEST(WindowsRun, RunsInTheCodePageTheScriptAsksFor) {
  const char* expected = std::getenv("AVD_EXPECT_CODE_PAGE");
  if (expected == nullptr) GTEST_SKIP() << "no code page asked for; this one is " << GetACP();
  EXPECT_EQ(std::to_string(GetACP()), expected);
  EXPECT_EQ(platform::UserLanguage(),
            std::string(expected) == "932" ? base::Language::kJapanese : base::Language::kEnglish);
}

// 「キルナート」 in a converter folder 「Café ελ」, as a user unpacks it:
// whatever the system's code page, the archive is the one the Linux build
// writes of the same game listed in Windows' order, and avdtool.exe reads it;
// both programs speak the user's UI language.
TEST(WindowsRun, AJapaneseGameBesideAConverterInAFolderOutsideTheCodePage) {
  const fs::path ref = fs::absolute(AVD_LINUX_REFERENCE) / "international";
  ASSERT_TRUE(fs::exists(ref / "DAV299.AVD")) << "scripts/test-windows.sh makes it";
  TempDir root;
  const fs::path converter = root.Path() / FromUtf8("Café ελ");
  const fs::path game = converter / FromUtf8("キルナート");
  fs::create_directories(converter);
  fs::copy_file(AVDCONV_PATH, converter / "avdconv.exe");
  fs::copy_file(AVDTOOL_PATH, converter / "avdtool.exe");
  fs::copy(ref / "DATA", converter / "DATA");
  fs::copy(ref / "game", game, fs::copy_options::recursive);
  ASSERT_TRUE(fs::exists(game / "MES" / FromUtf8("第二話.SIO")));

  win_process::Result r = win_process::Run(Utf8(converter / "avdconv.exe"), {Utf8(game)}, Utf8(root.Path()));
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  EXPECT_EQ(r.err, "");
  const fs::path archive = converter / "DAV299.AVD";
  EXPECT_EQ(ReadFile(archive), ReadFile(ref / "DAV299.AVD"));
  // On the pipe, paths in Shift-JIS where it holds their characters, in
  // the lines of the user's UI language (Japanese in code page 932's run).
  const base::Translations texts(platform::UserLanguage());
  const std::string leftOut = platform::PathForMessage(Utf8(game / "CG")) + "\\Caf\\xC3\\xA9.MOE";
  EXPECT_NE(
      r.out.find(base::Format(texts.Tr("Warning : no Shift-JIS name for %s; left out\n"), leftOut.c_str())),
      std::string::npos)
      << r.out;
  // The names copies bring along, as on Linux: the side files skipped, the
  // second of two files of one member name left out, a long name's stored
  // form said.
  const std::string gameShown = platform::PathForMessage(Utf8(game));
  for (const std::string& line :
       {base::Format(texts.Tr("Note : %s is a side file of macOS, not game data; skipped\n"),
                     (gameShown + "\\" + tools::Sjis("._夜景.MOE")).c_str()),
        base::Format(texts.Tr("Warning : %s and %s give one member name, %s; the second is left out\n"),
                     (gameShown + "\\CG\\BG01.MOE").c_str(), (gameShown + "\\CG\\bg01.old.MOE").c_str(),
                     "BG01.PDT"),
        base::Format(texts.Tr("Warning : the name of %s is longer than 15 bytes; stored as %s\n"),
                     (gameShown + "\\" + tools::Sjis("OPオープニング１.MOE")).c_str(),
                     tools::Sjis("OPオープニング").c_str())}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\nin\n" << r.out;
  }
  EXPECT_NE(r.out.find(base::Format(texts.Tr("%zu warnings"), size_t{5}) + "; " +
                       platform::PathForMessage(Utf8(archive)) + " ("),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Caf\\xC3\\xA9 \x83\xC3\x83\xC9\\\x83L\x83\x8B\x83i\x81[\x83g"), std::string::npos);

  r = win_process::Run(Utf8(converter / "avdconv.exe"), {"--help"}, Utf8(root.Path()));
  EXPECT_EQ(r.out, driver::HelpText(texts));

  const std::string tool = Utf8(converter / "avdtool.exe");
  r = win_process::Run(tool, {"verify", Utf8(archive)}, Utf8(root.Path()));
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_EQ(r.out, base::Format(texts.Tr("%zu members, all good\n"), size_t{13}));
  r = win_process::Run(tool, {"list", Utf8(archive)}, Utf8(root.Path()));
  EXPECT_EQ(r.exitCode, 0u) << r.err;
  EXPECT_NE(r.out.find("\n\\x90\\xE0\\x96\\xBE\\x8F\\x91.TXT "), std::string::npos) << r.out;
  const fs::path out = converter / FromUtf8("展開");
  r = win_process::Run(tool, {"extract", Utf8(archive), "-d", Utf8(out), "--png"}, Utf8(root.Path()));
  EXPECT_EQ(r.exitCode, 0u) << r.out << r.err;
  EXPECT_EQ(r.out,
            base::Format(texts.Tr("%zu members written, %zu pictures as PNG\n"), size_t{13}, size_t{6}));
  // (the long name, cut before ".PDT", stored a data member)
  EXPECT_EQ(ReadFile(out / FromUtf8("説明書.TXT")), ReadFile(ref / "DATA" / FromUtf8("説明書.TXT")));
  EXPECT_EQ(ReadFile(out / FromUtf8("表.DAT")), ReadFile(ref / "DATA" / FromUtf8("表.DAT")));
  EXPECT_TRUE(fs::exists(out / FromUtf8("背景１.png")));
}

}  // namespace

namespace {

// `folder` copied to `to`, whatever their lengths.
void CopyTree(const fs::path& from, const fs::path& to) {
  fs::create_directories(to);
  fs::copy(from, to, fs::copy_options::recursive);
}

// A folder inside `root` whose full path is over 300 characters.
fs::path LongFolder(const fs::path& root, const std::string& last) {
  fs::path folder = root;
  while (folder.native().size() <= 300) folder /= "a-folder-name-of-thirty-chars";
  return folder / last;
}

// Wine starts no program whose own path is over 260 characters, so the
// converter's folder is stood in for by --output and --data.
TEST(WindowsRun, AGameAndTheConvertersFoldersOver300CharactersGiveTheLinuxBuildsArchive) {
  const LinuxRun linux = Reference("fixed");
  Installed s;
  TempDir root;
  const fs::path game = LongFolder(root.Path(), "game");
  const fs::path converter = LongFolder(root.Path() / "b", "converter");
  CopyTree(linux.game, game);
  CopyTree(linux.data, converter / "DATA");
  ASSERT_GT(Utf8(converter / "DATA").size(), 300u);
  win_process::Result r =
      s.Run({"--output", Utf8(converter), "--data", Utf8(converter / "DATA"), Utf8(game)});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err << r.out;
  EXPECT_EQ(ReadFile(converter / "DAV299.AVD"), ReadFile(linux.archive)) << r.out;
  EXPECT_FALSE(fs::exists(converter / "tmp.dat"));
}

// The game's files named like devices are made by scripts/test-windows.sh
// on Linux: Windows (and Wine) cannot make such names through the calls a
// test would use.
TEST(WindowsRun, GameFilesNamedLikeDevicesAreConvertedAsOnLinux) {
  const LinuxRun linux = Reference("devices");
  Installed s;
  TempDir out;
  for (const char* name : {"CON", "AUX", "NUL", "COM1", "LPT1"}) {
    const std::wstring file = platform::windows::SystemPath(Utf8(linux.game) + "\\" + name + ".MOE");
    ASSERT_NE(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES) << name;
  }
  win_process::Result r = s.Run({"--quiet", "--output", out.Path().string(), "--data",
                                 Reference("fixed").data.string(), linux.game.string()});
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  EXPECT_EQ(r.out, Warnings(linux)) << "--quiet keeps the warnings, the Linux run's";
  EXPECT_EQ(ReadFile(out.Path() / "DAV299.AVD"), ReadFile(linux.archive));
  const ArchiveContents a(ReadFile(out.Path() / "DAV299.AVD"));
  ASSERT_TRUE(a.valid);
  for (const char* name : {"CON", "AUX", "NUL", "COM1", "LPT1"})
    EXPECT_NE(a.Find(std::string(name) + ".PDT"), nullptr) << name;
}

// "Y:" alone is the drive's current folder, as Windows has it, not its root.
TEST(WindowsRun, ADriveLetterAloneIsTheCurrentFolderOfThatDrive) {
  const LinuxRun linux = Reference("fixed");
  Installed s;
  TempDir game, out;
  CopyTree(linux.game, game.Path());
  const std::string drive = Utf8(fs::absolute(game.Path())).substr(0, 2);
  ASSERT_EQ(drive[1], ':');
  win_process::Result r =
      win_process::Run(s.exe, {"--quiet", "--output", Utf8(out.Path()), "--data", linux.data.string(), drive},
                       Utf8(game.Path()));
  EXPECT_EQ(r.exitCode, static_cast<DWORD>(driver::kExitWritten)) << r.err;
  EXPECT_EQ(ReadFile(out.Path() / "DAV299.AVD"), ReadFile(linux.archive));
}

TEST(WindowsRun, BothProgramsCarryAManifestThatAsksForLongPaths) {
  for (const char* program : {AVDCONV_PATH, AVDTOOL_PATH}) {
    const HMODULE exe = LoadLibraryExW(fs::path(program).wstring().c_str(), nullptr,
                                       LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(exe, nullptr) << program;
    const HRSRC found = FindResourceW(exe, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(found, nullptr) << program;
    const char* text = static_cast<const char*>(LockResource(LoadResource(exe, found)));
    ASSERT_NE(text, nullptr) << program;
    const std::string manifest(text, SizeofResource(exe, found));
    EXPECT_NE(
        manifest.find("<longPathAware xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">true"
                      "</longPathAware>"),
        std::string::npos)
        << manifest;
    const std::string name = fs::path(program).stem().string();
    EXPECT_NE(manifest.find("name=\"" + name + "\" version=\""), std::string::npos) << manifest;
    FreeLibrary(exe);
  }
}

TEST(WindowsRun, TheHelpSpeaksOfWindows) {
  Installed s;
  const win_process::Result r = s.Run({"--help"});
  EXPECT_EQ(r.out, driver::HelpText(base::Translations(platform::UserLanguage()), true));
  EXPECT_EQ(r.out.find("/proc"), std::string::npos);
}

}  // namespace
