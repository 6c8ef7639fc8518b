// The Windows code reaches every path only through the wide (W) calls of
// the system: an ANSI (A) call reaches only the names the system's code page
// can spell. Reads the sources of the programs and their platform layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

const fs::path kRoot = AVD_SOURCE_DIR;

// The calls and structures that take or give a name, in their ANSI form.
const std::regex kAnsiNameCall(
    R"(\b(CreateFileA|DeleteFileA|MoveFileA|MoveFileExA|CopyFileA|ReplaceFileA|FindFirstFileA|FindFirstFileExA|)"
    R"(FindNextFileA|GetFileAttributesA|GetFileAttributesExA|SetFileAttributesA|CreateDirectoryA|)"
    R"(RemoveDirectoryA|GetModuleFileNameA|GetFullPathNameA|GetLongPathNameA|GetShortPathNameA|GetTempPathA|)"
    R"(GetCurrentDirectoryA|SetCurrentDirectoryA|GetCommandLineA|CreateProcessA|ShellExecuteA|LoadLibraryA|)"
    R"(SHBrowseForFolderA|SHGetPathFromIDListA|MessageBoxA|SetConsoleTitleA|WIN32_FIND_DATAA|BROWSEINFOA|)"
    R"(STARTUPINFOA|OPENFILENAMEA)\b)");

std::string Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(WideCalls, NoAnsiCallThatTakesOrGivesANameIsLeft) {
  size_t files = 0;
  for (const char* folder : {"platform", "driver", "avdtool", "base"}) {
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(kRoot / folder)) {
      const std::string ext = e.path().extension().string();
      if (ext != ".cpp" && ext != ".h") continue;
      ++files;
      const std::string text = Read(e.path());
      std::smatch found;
      EXPECT_FALSE(std::regex_search(text, found, kAnsiNameCall))
          << fs::relative(e.path(), kRoot).string() << " calls " << found.str();
    }
  }
  EXPECT_GT(files, 50u);
}

TEST(WideCalls, TheGuardFindsAnAnsiCall) {
  EXPECT_TRUE(std::regex_search(std::string("h = FindFirstFileA(p, &d);"), kAnsiNameCall));
  EXPECT_TRUE(std::regex_search(std::string("WIN32_FIND_DATAA entry;"), kAnsiNameCall));
  EXPECT_FALSE(std::regex_search(std::string("h = FindFirstFileW(p, &d);"), kAnsiNameCall));
}

}  // namespace
