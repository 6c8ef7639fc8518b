// The POSIX file search: readdir's order, folders resolved regardless of
// case, links and FIFOs.
#include "platform/file_search.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using test_support::TempDir;

std::vector<std::string> Search(const std::string& pattern) {
  std::vector<std::string> names;
  platform::FileSearch search;
  for (const platform::FoundName* n = search.FindFirstName(pattern); n; n = search.FindNextName())
    names.push_back(n->file);
  return names;
}

// The folder's own order, as readdir reports it, of the entries in `keep`.
std::vector<std::string> ReaddirOrder(const std::string& folder, const std::vector<std::string>& keep) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (dirent* e = readdir(dir)) {
    for (const std::string& k : keep) {
      if (k == e->d_name) names.push_back(k);
    }
  }
  closedir(dir);
  return names;
}

TEST(FileSearch, ReturnsFilesInTheFolderOwnOrderAndSkipsFolders) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 40; ++i) {
    files.push_back("f" + std::to_string((i * 17) % 40) + ".sio");
    dir.Write("MES/" + files.back(), "x");
  }
  std::filesystem::create_directories(dir.Path() / "MES" / "SUB.SIO");
  dir.Write("MES/SUB.SIO/inner.sio", "x");
  std::vector<std::string> found = Search(dir.Folder() + "MES/*.SIO");
  EXPECT_EQ(found, ReaddirOrder(dir.Folder() + "MES", files));
  EXPECT_EQ(found.size(), 40u);
}

TEST(FileSearch, FolderComponentsResolveRegardlessOfCaseWithExactCaseWinning) {
  TempDir dir;
  dir.Write("mes/a.sio", "x");
  dir.Write("Cg/b.moe", "x");
  dir.Write("cg/c.moe", "x");
  EXPECT_EQ(Search(dir.Folder() + "MES/*.SIO"), std::vector<std::string>{"a.sio"});
  EXPECT_EQ(Search(dir.Folder() + "cg/*.MOE"), std::vector<std::string>{"c.moe"});
  EXPECT_EQ(Search(dir.Folder() + "Cg/*.MOE"), std::vector<std::string>{"b.moe"});
}

TEST(FileSearch, DanglingLinksAndFifosAreFilesToTheSearch) {
  TempDir dir;
  std::filesystem::create_directories(dir.Path() / "D");
  std::filesystem::create_symlink(dir.Path() / "nowhere", dir.Path() / "D" / "link.moe");
  ASSERT_EQ(mkfifo((dir.Path() / "D" / "pipe.moe").c_str(), 0644), 0);
  std::vector<std::string> found = Search(dir.Folder() + "D/*.MOE");
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{"link.moe", "pipe.moe"}));
}

}  // namespace
