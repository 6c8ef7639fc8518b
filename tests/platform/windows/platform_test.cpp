// The Windows platform layer in the system's own terms: FindFirstFileA's
// order, the module's folder, MoveFileExA over an archive in use, devices
// and pipes among the game files, the bytes a pipe receives.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/file_search.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "platform/windows/folder_choice.h"
#include "platform/windows/wide.h"
#include "test_support.h"
#include "win_process.h"

namespace {

namespace fs = std::filesystem;
using test_support::Bytes;
using test_support::ReadFile;
using test_support::TempDir;

std::vector<std::string> Search(const std::string& pattern) {
  std::vector<std::string> names;
  platform::FileSearch search;
  for (const platform::FoundName* n = search.FindFirstName(pattern); n; n = search.FindNextName())
    names.push_back(n->file);
  return names;
}

// Every name FindFirstFileA and FindNextFileA give for `pattern`, in their
// order, with "/" behind the folders.
std::vector<std::string> SystemOrder(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE h = FindFirstFileA(pattern.c_str(), &entry);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    names.push_back(std::string(entry.cFileName) + (folder ? "/" : ""));
  } while (FindNextFileA(h, &entry));
  FindClose(h);
  return names;
}

TEST(WindowsFileSearch, GivesTheSystemOrderWithoutFolders) {
  TempDir dir;
  std::vector<std::string> expected;
  for (int i = 0; i < 40; ++i) dir.Write("MES\\f" + std::to_string((i * 17) % 40) + ".sio", "x");
  dir.Write("MES\\Upper.SIO", "x");
  fs::create_directories(dir.Path() / "MES" / "SUB.SIO");
  dir.Write("MES\\SUB.SIO\\inner.sio", "x");
  for (const std::string& name : SystemOrder(dir.Folder() + "MES\\*.SIO")) {
    if (name.back() != '/') expected.push_back(name);
  }
  ASSERT_EQ(expected.size(), 41u);
  EXPECT_EQ(Search(dir.Folder() + "MES\\*.SIO"), expected);
  // The folder part in another case, and '/' as a separator, find the same.
  EXPECT_EQ(Search(dir.Folder() + "mes/*.sio"), expected);
}

TEST(WindowsFileSearch, AnExtensionLongerThanThePatternsIsNoMatch) {
  TempDir dir;
  // Windows also matches the short 8.3 names ("PICTUR~1.MOE").
  dir.Write("CG\\picture.moex", "x");
  dir.Write("CG\\a.moe", "x");
  dir.Write("CG\\long picture name.moe", "x");
  std::vector<std::string> found = Search(dir.Folder() + "CG\\*.MOE");
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{"a.moe", "long picture name.moe"}));
}

std::string ChildPath() { return PLATFORM_CHILD_PATH; }

TEST(WindowsExecutableFolder, IsTheFolderTheProgramLiesInWhereverItRunsFrom) {
  const std::string own = platform::ExecutableFolder();
  ASSERT_FALSE(own.empty());
  EXPECT_EQ(own.back(), '\\');
  EXPECT_TRUE(fs::path(own).is_absolute());
  EXPECT_TRUE(fs::exists(own + "platform_tests.exe"));

  TempDir dir, elsewhere;
  fs::create_directories(dir.Path() / "Kirunaato Converter");
  const fs::path copy = dir.Path() / "Kirunaato Converter" / "child.exe";
  fs::copy_file(ChildPath(), copy);
  win_process::Result r = win_process::Run(copy.string(), {"folder"}, elsewhere.Path().string());
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.out, dir.Folder() + "Kirunaato Converter\\");
}

TEST(WindowsConsole, APipeGetsTheShiftJisBytesExactlyAndNoProgress) {
  win_process::Result r = win_process::Run(ChildPath(), {"print"});
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.out, std::string("\x92\x86\x8E~\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n\n"
                               "\x83L\x83\x8B\x83i\x81[\x83g 42\r\n") +
                       std::string("\x00\x80\xFF\x81", 4));
  EXPECT_EQ(r.err, "");
}

TEST(WindowsKeyWait, WithoutAConsoleThereIsNoKey) {
  win_process::Result r = win_process::Run(ChildPath(), {"key"}, {}, DETACHED_PROCESS);
  ASSERT_TRUE(r.started);
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(static_cast<int>(r.exitCode), -1);
}

// Wine delivers Ctrl-C to the process's own console, not Ctrl-Break.
TEST(WindowsInterruption, CtrlCRemovesTheSpoolAndThePartFileAndKeepsWhatWasRenamed) {
  TempDir dir;
  dir.Write("DAV299.AVD", std::string("earlier archive"));
  win_process::Result r = win_process::Run(ChildPath(), {"interrupt", dir.Folder(), "c"});
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 130u);
  // A file was put in place before the event: the second line says so.
  EXPECT_EQ(r.err, "Interrupted after the rename.\n");
  EXPECT_FALSE(fs::exists(dir.Path() / "tmp.dat"));
  EXPECT_FALSE(fs::exists(dir.Path() / "DAV299.AVD.part"));
  EXPECT_EQ(ReadFile(dir.Path() / "renamed"), Bytes("renamed"));
  EXPECT_EQ(ReadFile(dir.Path() / "DAV299.AVD"), Bytes("earlier archive"));
}

// Whatever the console's code page, a console shows the line's characters,
// a code with no character as \xNN.
TEST(WindowsInterruption, OnAConsoleTheLineIsItsCharacters) {
  TempDir dir;
  win_process::Result r =
      win_process::Run(ChildPath(), {"interrupt", dir.Folder(), "console"}, {}, CREATE_NO_WINDOW);
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.exitCode, 130u) << r.out;
  EXPECT_NE(r.out.find("中断しました \\x85\\x40."), std::string::npos) << r.out;
  EXPECT_EQ(r.err, "");
  EXPECT_FALSE(fs::exists(dir.Path() / "DAV299.AVD.part"));
}

TEST(WindowsInterruption, AfterwardsCtrlCIsTheSystemsAgainAndLeavesTheFiles) {
  TempDir dir;
  win_process::Result r = win_process::Run(ChildPath(), {"interrupt", dir.Folder(), "after"});
  ASSERT_TRUE(r.started);
  EXPECT_NE(r.exitCode, 13u) << "Ctrl-C did not end the process";
  EXPECT_NE(r.exitCode, 130u);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(fs::exists(dir.Path() / "tmp.dat"));
  EXPECT_TRUE(fs::exists(dir.Path() / "DAV299.AVD.part"));
}

// The codes a file call meets have a reason in the user's words, never
// the bare number.
TEST(WindowsSystemError, TheCodesOfFileCallsHaveTheirReasonInBothLanguages) {
  for (const base::Language language : {base::Language::kEnglish, base::Language::kJapanese}) {
    const base::Translations texts(language);
    for (const DWORD code : {ERROR_INVALID_PARAMETER, ERROR_FILENAME_EXCED_RANGE, ERROR_DIR_NOT_EMPTY,
                             ERROR_NOT_READY, ERROR_BAD_NETPATH, ERROR_NOT_ENOUGH_MEMORY, ERROR_BUSY}) {
      const std::string reason = platform::Describe({static_cast<int>(code)}, texts);
      EXPECT_EQ(reason.find(std::to_string(code)), std::string::npos) << reason;
      if (language == base::Language::kJapanese) {
        EXPECT_NE(reason, platform::Describe({static_cast<int>(code)}, base::Translations())) << code;
      }
    }
  }
  EXPECT_EQ(platform::Describe({ERROR_INVALID_PARAMETER}, base::Translations()), "Invalid argument");
}

TEST(WindowsInputFile, RefusesDevicesFoldersAndPipesWithoutWaiting) {
  TempDir dir;
  fs::create_directories(dir.Path() / "folder.moe");
  std::vector<uint8_t> bytes;
  EXPECT_EQ(platform::ReadWholeFile("NUL", bytes), platform::ReadStatus::kCannotOpen);
  EXPECT_EQ(platform::ReadWholeFile(dir.Folder() + "folder.moe", bytes), platform::ReadStatus::kCannotOpen);
  // A pipe that would never deliver a byte.
  const std::string name = "\\\\.\\pipe\\avdtest-" + std::to_string(GetCurrentProcessId());
  HANDLE server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096,
                                   4096, 0, nullptr);
  ASSERT_NE(server, INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform::ReadWholeFile(name, bytes), platform::ReadStatus::kCannotOpen);
  CloseHandle(server);
}

TEST(WindowsReplaceFile, AnArchiveHeldOpenElsewhereStaysAndSoDoesTheNewFile) {
  TempDir dir;
  const std::string archive = dir.Write("DAV299.AVD", std::string("earlier archive"));
  const std::string part = dir.Write("DAV299.AVD.part", std::string("new"));
  // Another program reads the archive and lets nobody delete or rename it.
  HANDLE reader = CreateFileA(archive.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(platform::ReplaceFile(part, archive));
  CloseHandle(reader);
  EXPECT_EQ(ReadFile(archive), Bytes("earlier archive"));
  EXPECT_EQ(ReadFile(part), Bytes("new"));
  // Once it is closed the archive is replaced.
  EXPECT_TRUE(platform::ReplaceFile(part, archive));
  EXPECT_EQ(ReadFile(archive), Bytes("new"));
  EXPECT_FALSE(fs::exists(part));
}

TEST(WindowsOutputFile, ALeftoverThatIsReadOnlyOrInUseIsNotWrittenThrough) {
  TempDir dir;
  const std::string spool = dir.Write("tmp.dat", std::string("held"));
  HANDLE holder = CreateFileA(spool.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(platform::OutputFile::Create(spool));
  CloseHandle(holder);
  EXPECT_EQ(ReadFile(spool), Bytes("held"));
  ASSERT_TRUE(SetFileAttributesA(spool.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(platform::OutputFile::Create(spool));
  EXPECT_EQ(ReadFile(spool), Bytes("held"));
  SetFileAttributesA(spool.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The folder dialog's course with the dialogs played by the test: each
// browse hands out the next folder, each question the next answer.
struct Dialogs {
  std::vector<std::optional<std::string>> folders;
  std::vector<platform::windows::Answer> answers;
  size_t browsed = 0, asked = 0;

  std::optional<std::string> Choose(const platform::FolderCheck& check) {
    return platform::windows::ChooseFolder([this] { return folders.at(browsed++); },
                                           [this] { return answers.at(asked++); }, check);
  }
};

bool OnlyGameFolders(const std::string& folder) { return folder.starts_with("C:\\Game"); }

TEST(WindowsFolderChoice, AFolderWithoutGameDataIsChosenOnlyOnYesAfterNoTheDialogComesAgain) {
  using platform::windows::Answer;
  Dialogs yes{{"C:\\Temp\\"}, {Answer::kYes}};
  EXPECT_EQ(yes.Choose(OnlyGameFolders), "C:\\Temp\\");
  EXPECT_EQ(yes.asked, 1u);

  Dialogs noThenGame{{"C:\\Temp\\", "C:\\Game\\"}, {Answer::kNo}};
  EXPECT_EQ(noThenGame.Choose(OnlyGameFolders), "C:\\Game\\");
  EXPECT_EQ(noThenGame.browsed, 2u);

  Dialogs noThenCancel{{"C:\\Temp\\", std::nullopt}, {Answer::kNo}};
  EXPECT_EQ(noThenCancel.Choose(OnlyGameFolders), std::nullopt);

  // No question can be shown (no display): nothing is chosen, and the
  // dialog is not shown again.
  Dialogs noBox{{"C:\\Temp\\"}, {Answer::kNoAnswer}};
  EXPECT_EQ(noBox.Choose(OnlyGameFolders), std::nullopt);
  EXPECT_EQ(noBox.browsed, 1u);
}

TEST(WindowsFolderChoice, AGameFolderOrNoCheckAsksNothing) {
  Dialogs game{{"C:\\Game\\"}, {}};
  EXPECT_EQ(game.Choose(OnlyGameFolders), "C:\\Game\\");
  Dialogs unchecked{{"C:\\Temp\\"}, {}};
  EXPECT_EQ(unchecked.Choose({}), "C:\\Temp\\");
  Dialogs cancelled{{std::nullopt}, {}};
  EXPECT_EQ(cancelled.Choose(OnlyGameFolders), std::nullopt);
  EXPECT_EQ(game.asked + unchecked.asked + cancelled.asked, 0u);
}

}  // namespace

namespace {

TEST(WindowsFolderChoice, TheDialogsPathOfAnyLengthIsTheFolderWithOneSeparator) {
  std::wstring path = L"C:\\";
  while (path.size() <= 300) path += L"\u30B2\u30FC\u30E0-folder\\";
  path += L"game";
  const std::optional<std::string> folder = platform::windows::FolderOfDialogPath(path);
  ASSERT_TRUE(folder);
  EXPECT_EQ(*folder, platform::windows::Utf8(path) + "\\");
  EXPECT_EQ(platform::windows::FolderOfDialogPath(L"D:\\"), "D:\\");
  EXPECT_FALSE(platform::windows::FolderOfDialogPath(L""));
}

// Made full as Windows makes it before anything is appended: the working
// folder for a relative path and for a drive letter alone, trailing dots
// and spaces dropped.
TEST(WindowsFullFolderPath, IsTheFolderWindowsMeansWithOneSeparator) {
  TempDir dir;
  fs::create_directories(dir.Path() / "game");
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path() / "game");
  const std::string here = fs::current_path().string() + "\\";
  EXPECT_EQ(platform::FullFolderPath(here.substr(0, 2)), here);
  EXPECT_EQ(platform::FullFolderPath("."), here);
  EXPECT_EQ(platform::FullFolderPath("..\\game. "), here);
  EXPECT_EQ(platform::FullFolderPath("../game/"), here);
  fs::current_path(before);
  EXPECT_TRUE(platform::SameFolder(here, dir.Folder() + "GAME"));
  EXPECT_FALSE(platform::SameFolder(here, dir.Folder()));
}

// A path that is not full reaches Windows full and in its long form, its
// folder made full as Windows makes it, its last part a file's name.
TEST(WindowsSystemPath, APathThatIsNotFullIsMadeFullButForItsLastPart) {
  TempDir dir;
  fs::create_directories(dir.Path() / "game");
  const fs::path before = fs::current_path();
  fs::current_path(dir.Path() / "game");
  const std::wstring here = L"\\\\?\\" + fs::current_path().wstring() + L"\\";
  const std::string drive = fs::current_path().string().substr(0, 2);
  using platform::windows::SystemPath;
  EXPECT_EQ(SystemPath("CON"), here + L"CON");
  EXPECT_EQ(SystemPath("..\\game\\NUL.png"), here + L"NUL.png");
  EXPECT_EQ(SystemPath("./sheet.png."), here + L"sheet.png.");
  EXPECT_EQ(SystemPath(drive + "COM1"), here + L"COM1");
  EXPECT_EQ(SystemPath("\\x"), L"\\\\?\\" + platform::windows::Wide(drive) + L"\\x");
  fs::current_path(before);
  for (const std::string kept : {"\\\\.\\CON", "\\\\?\\C:\\a\\.\\CON"})
    EXPECT_EQ(SystemPath(kept), platform::windows::Wide(kept)) << kept;
  EXPECT_EQ(SystemPath("C:/a/../b/CON"), L"\\\\?\\C:\\b\\CON");
}

}  // namespace
