// The avdtool program itself: its commands, what it prints and its exit
// status.
#include <gtest/gtest.h>
#ifdef _WIN32
#include "win_process.h"
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "pty_io.h"
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "avdtool/archive_file.h"
#include "avdtool/usage.h"
#include "avdtool_support.h"
#include "base/text_columns.h"
#include "sample/sio_writer.h"

namespace {

namespace fs = std::filesystem;
using namespace avdtool_test;
using test_support::ReadFile;
using test_support::TempDir;

struct Outcome {
  int status = -1;
  std::string output;  // standard output and error together
};

// Runs avdtool with `arguments` (no quoting needed) from `folder`.
#ifdef _WIN32
// A process of its own (the test runs under Wine or on Windows), its output
// followed by its errors.
Outcome Avdtool(const std::string& arguments, const fs::path& folder = fs::temp_directory_path()) {
  std::vector<std::string> args;
  for (size_t start = 0; start < arguments.size();) {
    size_t end = arguments.find(' ', start);
    if (end == std::string::npos) end = arguments.size();
    if (end > start) args.push_back(arguments.substr(start, end - start));
    start = end + 1;
  }
  const win_process::Result r = win_process::Run(fs::absolute(AVDTOOL_PATH).string(), args, folder.string());
  return {r.started ? static_cast<int>(r.exitCode) : -1, r.out + r.err};
}
#else
// In the C locale unless told `locale` (which decides the language).
Outcome Avdtool(const std::string& arguments, const fs::path& folder = fs::temp_directory_path(),
                const std::string& locale = "C") {
  const std::string command =
      "cd '" + folder.string() + "' && LC_ALL=" + locale + " '" AVDTOOL_PATH "' " + arguments + " 2>&1";
  Outcome r;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return r;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.output.append(buffer, n);
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}
#endif

class AvdtoolProgram : public ::testing::Test {
 protected:
  void SetUp() override { archive_ = dir_.Write("A.AVD", ArchiveOf(Handful())); }
  TempDir dir_;
  std::string archive_;
};

TEST_F(AvdtoolProgram, VerifyExitsWithZeroOneOrTwo) {
  Outcome r = Avdtool("verify " + archive_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "6 members, all good\n");

  std::vector<uint8_t> bad = ArchiveOf(Handful());
  bad[0] = 'X';
  r = Avdtool("verify " + dir_.Write("BAD.AVD", bad));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output, "header: the magic is not \"KELPIX\" and two zero bytes\n1 problem\n");

  r = Avdtool("verify " + dir_.Folder() + "MISSING.AVD");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "avdtool: cannot read " + dir_.Folder() + "MISSING.AVD: No such file or directory\n");
  EXPECT_EQ(Avdtool("verify " + dir_.Folder()).status, 2);
#ifndef _WIN32
  // A FIFO is refused, not waited on.
  ASSERT_EQ(mkfifo((dir_.Path() / "FIFO").c_str(), 0644), 0);
  r = Avdtool("verify " + dir_.Folder() + "FIFO");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.output.find("is not a regular file"), std::string::npos);
#endif
}

TEST_F(AvdtoolProgram, VerifyExitsWithThreeWhenTheFormatIsGoodButAPictureIsMissing) {
  std::vector<Member> members = Handful();
  // A background NOPE, which no member holds.
  members.push_back({"SEEN003.TXT", Tpc(test_support::Hex("0B30 5901 11 4E4F5045 00 0B05 40 11 10"))});
  std::vector<uint8_t> file = ArchiveOf(members);
  Outcome r = Avdtool("verify " + dir_.Write("NOPE.AVD", file));
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.output,
            "7 members, all good\n"
            "missing picture NOPE.PDT, shown by SEEN003.TXT at 0x000002\n"
            "1 of 1 pictures shown is missing\n");

  r = Avdtool("list " + dir_.Folder() + "NOPE.AVD --references seen003.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "000002  background  NOPE.PDT  missing\n");

  // Format problems come first in the status too.
  file[0] = 'X';
  r = Avdtool("verify " + dir_.Write("NOPE.AVD", file));
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(r.output.ends_with("1 of 1 pictures shown is missing\n")) << r.output;
}

TEST_F(AvdtoolProgram, ListPrintsTheTable) {
  Outcome r = Avdtool("list " + archive_ + " --sort offset");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.output.starts_with("name         kind ")) << r.output;
  EXPECT_NE(r.output.find("\nSEEN002.TXT  scenario "), std::string::npos);
  EXPECT_TRUE(r.output.ends_with("6 members    total            106         312   34.0%\n")) << r.output;
  EXPECT_EQ(Avdtool("list --sort=size " + archive_).status, 0);

  std::vector<uint8_t> bad = ArchiveOf(Handful());
  bad.resize(100);
  r = Avdtool("list " + dir_.Write("BAD.AVD", bad));
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "avdtool: " + dir_.Folder() +
                          "BAD.AVD: the directory of the member count does not fit in the file\n");
}

TEST_F(AvdtoolProgram, ExtractCreatesItsFolderNamesFilesAsEverySystemTakesThemAndNeverOverwrites) {
  Outcome r = Avdtool("extract " + archive_ + " -d out --png", dir_.Path());
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, "6 members written, 2 pictures as PNG\n");
  EXPECT_EQ(ReadFile(dir_.Path() / "out" / "README.TXT"), Bytes("read me, read me, read me"));
  EXPECT_TRUE(fs::exists(dir_.Path() / "out" / "WIDE.png"));

  r = Avdtool("extract " + archive_ + " --directory=out", dir_.Path());
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.output.ends_with("\n0 members written\n"));

  // Every bare argument is a member's name: into the current folder.
  const fs::path here = dir_.Path() / "here";
  fs::create_directory(here);
  r = Avdtool("extract " + archive_ + " readme.txt", here);
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(ReadFile(here / "README.TXT"), Bytes("read me, read me, read me"));
  EXPECT_EQ(std::distance(fs::directory_iterator(here), fs::directory_iterator()), 1);

  // A folder with its parents, in each spelling of the option.
  for (const char* option : {"-d a/b/c", "-da/b/d", "--directory a/b/e"}) {
    r = Avdtool("extract " + archive_ + " " + option + " empty", dir_.Path());
    EXPECT_EQ(r.status, 0) << option << ": " << r.output;
    EXPECT_EQ(r.output, "1 member written\n");
  }
  for (const char* leaf : {"c", "d", "e"}) EXPECT_TRUE(fs::exists(dir_.Path() / "a" / "b" / leaf / "EMPTY"));

  // A name that asks for nothing creates nothing.
  r = Avdtool("extract " + archive_ + " SAMPLE.TXT -d made", dir_.Path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "no member named SAMPLE.TXT\n");
  EXPECT_FALSE(fs::exists(dir_.Path() / "made"));
  EXPECT_FALSE(fs::exists(dir_.Path() / "SAMPLE.TXT"));

  // One folder on every system: a device's name behind "_", the second of
  // two names Windows takes as one as "~2", 表 (95 5C) as its character.
  const std::string names = dir_.Write(
      "NAMES.AVD", ArchiveNamed({"CON.TXT", "AUX.PDT", "Readme.txt", "readme.txt", "\x95\x5C.DAT"}));
  r = Avdtool("extract " + names + " -d names --png", dir_.Path());
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output,
            "CON.TXT (entry 0): written as _CON.TXT, since Windows reserves its name for a device\n"
            "AUX.PDT (entry 1): written as _AUX.PDT, since Windows reserves its name for a device\n"
            "readme.txt (entry 3): written as readme.txt~2, since an earlier member of the same name took "
            "readme.txt\n"
            "5 members written, 1 picture as PNG\n");
  const fs::path written = dir_.Path() / "names";
  EXPECT_EQ(FileNames(written), (std::set<std::string>{"_CON.TXT", "_AUX.PDT", "_AUX.png", "Readme.txt",
                                                       "readme.txt~2", "表.DAT"}));
  EXPECT_EQ(ReadFile(written / "Readme.txt"), Bytes("Readme.txt"));
  EXPECT_EQ(ReadFile(written / "readme.txt~2"), Bytes("readme.txt"));
}

TEST_F(AvdtoolProgram, ContactSheetReplacesALinkInsteadOfWritingThroughIt) {
  TempDir elsewhere;
  const std::string victim = elsewhere.Write("victim", std::string("keep me"));
#ifndef _WIN32
  fs::create_symlink(victim, dir_.Path() / "sheet.png");
#endif
  Outcome r = Avdtool("contact-sheet " + archive_ + " sheet.png --columns 1 --force", dir_.Path());
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(ReadFile(victim), Bytes("keep me"));
  EXPECT_FALSE(fs::is_symlink(dir_.Path() / "sheet.png"));
  const std::vector<uint8_t> png = ReadFile(dir_.Path() / "sheet.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(base::GetU32(png.data() + 16), 0x8C000000u);  // width 140, big-endian
  EXPECT_FALSE(fs::exists(dir_.Path() / "sheet.png.part"));

  r = Avdtool("contact-sheet " + dir_.Write("NONE.AVD", ArchiveOf({})) + " none.png", dir_.Path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "no contact sheet: the archive holds no picture\n");
  EXPECT_FALSE(fs::exists(dir_.Path() / "none.png"));
}

// The check before the sheet is drawn is not the last word: a file that
// appears at the name while it is drawn stays too.
TEST(WriteOutputFile, KeepsWhatStandsAtItsPathUnlessToldToReplaceIt) {
  TempDir dir;
  const std::string path = dir.Write("sheet.png", std::string("appeared meanwhile"));
  const base::Translations texts;
  std::string reason;
  const std::vector<uint8_t> png = {1, 2, 3};
  EXPECT_EQ(avdtool::WriteOutputFile(path, png, avdtool::Earlier::kKeep, texts, reason),
            avdtool::Written::kExists);
  EXPECT_EQ(ReadFile(path), Bytes("appeared meanwhile"));
  EXPECT_FALSE(fs::exists(path + ".part"));
  EXPECT_EQ(avdtool::WriteOutputFile(path, png, avdtool::Earlier::kReplace, texts, reason),
            avdtool::Written::kWritten);
  EXPECT_EQ(ReadFile(path), png);
}

// As extract, contact-sheet keeps a file already there unless told, and its
// lines name the user's path, never the temporary one.
TEST_F(AvdtoolProgram, ContactSheetWritesOverAFileOnlyWithForce) {
  const std::string there = dir_.Write("there.png", std::string("mine"));
  Outcome r = Avdtool("contact-sheet " + archive_ + " there.png", dir_.Path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "avdtool: there.png is already there; left as it is (--force writes over it)\n");
  EXPECT_EQ(ReadFile(there), Bytes("mine"));
  r = Avdtool("contact-sheet --force " + archive_ + " there.png", dir_.Path());
  EXPECT_EQ(r.status, 0) << r.output;
  const std::vector<uint8_t> png = ReadFile(there);
  ASSERT_GT(png.size(), 8u);
  EXPECT_EQ(png[1], 'P');

  r = Avdtool("contact-sheet " + archive_ + " nowhere/sheet.png", dir_.Path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "avdtool: cannot write nowhere/sheet.png: No such file or directory\n");
  fs::create_directory(dir_.Path() / "folder.png");
  r = Avdtool("contact-sheet " + archive_ + " folder.png --force", dir_.Path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, "avdtool: cannot write folder.png: Is a directory\n");
  EXPECT_FALSE(fs::exists(dir_.Path() / "folder.png.part"));
#ifndef _WIN32
  // A device or a FIFO keeps its name even with --force (as root, a rename
  // would take it).
  ASSERT_EQ(mkfifo((dir_.Path() / "fifo.png").c_str(), 0600), 0);
  r = Avdtool("contact-sheet " + archive_ + " fifo.png --force", dir_.Path());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output,
            "avdtool: fifo.png is a device, a FIFO or a socket; no contact sheet is written in its place\n");
  EXPECT_TRUE(fs::is_fifo(dir_.Path() / "fifo.png"));
#endif
}

// The archive is never the output, under whatever name it is given.
TEST_F(AvdtoolProgram, ContactSheetNeverWritesOverTheArchiveItReads) {
  const std::vector<uint8_t> before = ReadFile(archive_);
  std::vector<std::string> names = {archive_};
#ifndef _WIN32
  fs::create_symlink(archive_, dir_.Path() / "link.avd");
  names.push_back((dir_.Path() / "link.avd").string());
#endif
  for (const std::string& output : names) {
    const Outcome r = Avdtool("contact-sheet " + archive_ + " " + output, dir_.Path());
    EXPECT_EQ(r.status, 2) << output;
    EXPECT_NE(r.output.find("is the archive itself"), std::string::npos) << r.output;
    EXPECT_EQ(ReadFile(archive_), before) << output;
  }
}

#ifdef _WIN32
// The first bytes of `name` in `folder`, read through the long form, which
// takes CON or NUL for a file's name; then the file is removed.
std::string TakeFile(const fs::path& folder, const std::string& name) {
  const std::wstring path = L"\\\\?\\" + fs::absolute(folder).wstring() + L"\\" + fs::path(name).wstring();
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(none)";
  char start[8] = {};
  DWORD got = 0;
  ::ReadFile(file, start, sizeof start, &got, nullptr);
  CloseHandle(file);
  DeleteFileW(path.c_str());
  return std::string(start, got);
}

// Windows takes CON and NUL (with any extension) for devices; a path given
// to avdtool names a file, there as anywhere.
TEST_F(AvdtoolProgram, ContactSheetToADeviceNameWritesAFileOfThatName) {
  for (const std::string name : {"CON", "NUL", "nul.png", "COM1.PNG"}) {
    const Outcome r = Avdtool("contact-sheet " + archive_ + " " + name + " --columns 1", dir_.Path());
    EXPECT_EQ(r.status, 0) << name << ": " << r.output;
    EXPECT_EQ(r.output, "") << name;
    EXPECT_EQ(TakeFile(dir_.Path(), name), "\x89PNG\r\n\x1A\n") << name;
    EXPECT_EQ(TakeFile(dir_.Path(), name + ".part"), "(none)") << name;
  }
}
#endif

TEST_F(AvdtoolProgram, DisasmListsScenariosAndSources) {
  Outcome r = Avdtool("disasm " + archive_ + " seen002.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "; SEEN002.TXT (entry 4), 102 bytes\n"
            "; header: \"TPC32\", 40: 0, 80: 0, 84: 0, 88: 0, code length 3\n"
            "000000  3b 11 17              set          1, 7\n\n");
  r = Avdtool("disasm " + archive_ + " SEEN009.TXT");
  EXPECT_EQ(r.status, 2);
  EXPECT_TRUE(r.output.ends_with("no scenario member named SEEN009.TXT\n"));
  // Pipes get the Shift-JIS bytes as they are.
  r = Avdtool("disasm --source " + dir_.Write("A.SIO", std::vector<uint8_t>{0xF0, 0x82, 0xA0, 0x1B, 0x00}));
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output,
            "; source, 5 bytes\n"
            "000000  f0 82 a0 1b 00        message      \"\x82\xA0\\x1B\"\n");
  EXPECT_EQ(Avdtool("disasm --source " + dir_.Folder() + "MISSING.SIO").status, 2);
  EXPECT_NE(Avdtool("--help").output.find("avdtool disasm --source FILE.SIO\n"), std::string::npos);
}

// One situation, one status, whatever the command: an archive that cannot
// be read (the file, or its directory) is 2 for every one of them, and
// creates nothing.
TEST_F(AvdtoolProgram, EveryCommandExitsWithTwoOnAnUnreadableArchive) {
  std::vector<uint8_t> cut = ArchiveOf(Handful());
  cut.resize(100);
  const std::vector<std::string> unreadable = {dir_.Folder() + "MISSING.AVD", dir_.Folder(),
                                               dir_.Write("SHORT.AVD", std::string("KELPIX")),
                                               dir_.Write("CUT.AVD", cut)};
  const std::vector<std::pair<std::string, std::string>> commands = {
      {"list", ""}, {"verify", ""}, {"extract", " -d made"}, {"contact-sheet", " made.png"}, {"disasm", ""}};
  for (const std::string& archive : unreadable) {
    for (const auto& [command, rest] : commands) {
      const Outcome r = Avdtool(command + " " + archive + rest, dir_.Path());
      EXPECT_EQ(r.status, 2) << command << " " << archive << ": " << r.output;
      EXPECT_FALSE(fs::exists(dir_.Path() / "made") || fs::exists(dir_.Path() / "made.png")) << command;
    }
  }
}

// The help reads without wrapping in an 80-column terminal, in each
// language.
TEST(AvdtoolHelp, EveryLineFitsIn78Columns) {
  for (const base::Language language : {base::Language::kEnglish, base::Language::kJapanese}) {
    const std::string help = avdtool::Usage(base::Translations(language));
    for (size_t start = 0, end; start < help.size(); start = end + 1) {
      end = help.find('\n', start);
      const std::string line = help.substr(start, end - start);
      EXPECT_LE(base::TextColumns(line, base::TerminalEncoding::kShiftJis), 78u) << line;
    }
  }
}

TEST_F(AvdtoolProgram, AWrongCommandLineExitsWithTwo) {
  Outcome r = Avdtool("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_TRUE(r.output.starts_with("usage:\n  avdtool list ARCHIVE [--sort name|offset|size]\n"));
  EXPECT_NE(r.output.find("Exit status:\n  0  all is good\n  1  the archive has problems"), std::string::npos)
      << r.output;
  EXPECT_EQ(Avdtool("").status, 2);
  for (const std::string& wrong :
       std::vector<std::string>{"frobnicate " + archive_,
                                "list",
                                "list " + archive_ + " --sort bogus",
                                "list " + archive_ + " --png",
                                "verify " + archive_ + " " + archive_,
                                "extract",
                                "contact-sheet " + archive_,
                                "contact-sheet " + archive_ + " x.png --columns 0",
                                "contact-sheet " + archive_ + " x.png --columns 65",
                                "contact-sheet " + archive_ + " x.png --columns",
                                "extract " + archive_ + " -d out --png=yes",
                                "extract " + archive_ + " -d=out",
                                "extract " + archive_ + " -d",
                                "extract " + archive_ + " -x",
                                "extract " + archive_ + " --directory=",
                                "contact-sheet " + archive_ + " x.png --force=yes",
                                "disasm",
                                "disasm --source",
                                "disasm --source=x " + archive_,
                                "disasm " + archive_ + " --png"}) {
    r = Avdtool(wrong, dir_.Path());
    EXPECT_EQ(r.status, 2) << wrong;
    EXPECT_TRUE(r.output.starts_with("avdtool: ")) << wrong << ": " << r.output;
  }
  EXPECT_FALSE(fs::exists(dir_.Path() / "x.png"));
  EXPECT_FALSE(fs::exists(dir_.Path() / "out") || fs::exists(dir_.Path() / "=out"));
}

#ifndef _WIN32
// Output that cannot be written is a failure with its line, in every
// command that writes to standard output.
TEST_F(AvdtoolProgram, AFailedWriteToStandardOutputExitsWithTwo) {
  for (const std::string& arguments : {"list " + archive_, "verify " + archive_, "disasm " + archive_,
                                       std::string("--help"), "extract " + archive_ + " -d full"}) {
    const std::string command =
        "cd '" + dir_.Folder() + "' && LC_ALL=C '" AVDTOOL_PATH "' " + arguments + " 2>&1 >/dev/full";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string errors;
    char buffer[512];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) errors.append(buffer, n);
    const int status = pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << arguments;
    EXPECT_EQ(errors, "avdtool: cannot write the output: No space left on device\n") << arguments;
  }
}

// A Japanese user gets avdtool's lines in Japanese (Shift-JIS on a pipe),
// and the same tables as everyone.
TEST_F(AvdtoolProgram, InJapaneseTheLinesAreJapaneseAndTheTablesTheSame) {
  const auto japanese = [&](const std::string& arguments) {
    return Avdtool(arguments, dir_.Path(), "ja_JP.UTF-8");
  };
  Outcome r = japanese("verify " + archive_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, tools::Sjis("メンバー 6 個, すべて正常です\n"));
  r = japanese("verify " + dir_.Folder() + "MISSING.AVD");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output, tools::Sjis("avdtool: " + dir_.Folder() +
                                  "MISSING.AVD を読み込めません: ファイルまたはフォルダがありません\n"));
  r = japanese("extract " + archive_ + " -d out --png");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, tools::Sjis("メンバー 6 個を書き出しました. うち画像 2 枚を PNG でも書き出しました\n"));
  r = japanese("frobnicate");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.output,
            tools::Sjis("avdtool: 不明なコマンドです: frobnicate (コマンドの一覧は avdtool --help で"
                        "表示されます)\n"));
  r = japanese("--help");
  EXPECT_TRUE(r.output.starts_with(tools::Sjis("使い方:\n  avdtool list ARCHIVE"))) << r.output;
  EXPECT_NE(r.output.find(tools::Sjis("言語: LC_ALL, LC_MESSAGES, LANG のうち")), std::string::npos);
  for (const std::string& table : {"list " + archive_, "disasm " + archive_})
    EXPECT_EQ(japanese(table).output, Avdtool(table, dir_.Path()).output) << table;
}

// So that the help reads without wrapping in an 80-column terminal, as
// avdconv's does: every line within 78 columns, in each language.
TEST_F(AvdtoolProgram, EveryLineOfTheHelpFitsIn78ColumnsInEachLanguage) {
  for (const std::string locale : {"C", "ja_JP.UTF-8"}) {
    const Outcome r = Avdtool("--help", dir_.Path(), locale);
    EXPECT_EQ(r.status, 0) << locale;
    EXPECT_GT(r.output.size(), 1000u) << locale;
    for (size_t start = 0, end; start < r.output.size(); start = end + 1) {
      end = std::min(r.output.find('\n', start), r.output.size());
      const std::string line = r.output.substr(start, end - start);
      EXPECT_LE(base::TextColumns(line, base::TerminalEncoding::kShiftJis), 78u) << locale << ": " << line;
    }
  }
}

// At a UTF-8 terminal the same lines come in UTF-8.
TEST_F(AvdtoolProgram, InJapaneseAtATerminalTheLinesAreInTheTerminalsCodeset) {
  pty_io::TerminalSetup setup;
  setup.lang = "ja_JP.UTF-8";
  setup.messages.reset();
  setup.args = {"verify", archive_};
  int master = -1;
  const pid_t pid = pty_io::StartUnderTerminal(AVDTOOL_PATH, master, {}, setup);
  ASSERT_GT(pid, 0);
  std::string out;
  EXPECT_TRUE(
      pty_io::ReadUntil(master, out, "\n", 0, std::chrono::steady_clock::now() + std::chrono::minutes(1)))
      << out;
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  close(master);
  EXPECT_EQ(out, "メンバー 6 個, すべて正常です\n");
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
#endif

}  // namespace
