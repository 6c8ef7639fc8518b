// What the POSIX file reading does beyond the common contract: names
// resolved regardless of case, FIFOs and links.
#include "platform/file_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "test_support.h"

namespace {

using platform::ReadStatus;
using test_support::TempDir;

TEST(ResolvePath, FindsEveryComponentRegardlessOfCase) {
  TempDir dir;
  std::string real = dir.Write("Game/mes/Prologue.sio", "x");
  EXPECT_EQ(platform::ResolvePath(dir.Folder() + "GAME/MES/PROLOGUE.SIO"), real);
  EXPECT_EQ(platform::ResolvePath(dir.Folder() + "Game/mes/Prologue.sio"), real);
}

TEST(ResolvePath, ExactCaseWinsOverOtherSpellings) {
  TempDir dir;
  std::string lower = dir.Write("cg/a.moe", "lower");
  std::string upper = dir.Write("CG/A.MOE", "upper");
  EXPECT_EQ(platform::ResolvePath(dir.Folder() + "CG/A.MOE"), upper);
  EXPECT_EQ(platform::ResolvePath(dir.Folder() + "cg/a.moe"), lower);
  // Each component is resolved inside the folder the one before it chose.
  EXPECT_EQ(platform::ResolvePath(dir.Folder() + "CG/a.moe"), upper);
  EXPECT_EQ(platform::ResolvePath(dir.Folder() + "cg/A.MOE"), lower);
}

TEST(ResolvePath, KeepsUnresolvableComponentsAsWritten) {
  TempDir dir;
  dir.Write("MES/x", "x");
  EXPECT_EQ(platform::ResolvePath(dir.Folder() + "mes/NONE/x"), dir.Folder() + "MES/NONE/x");
}

TEST(ReadWholeFile, RefusesFoldersFifosAndDanglingLinksWithoutBlocking) {
  TempDir dir;
  std::vector<uint8_t> bytes;
  std::filesystem::create_directories(dir.Path() / "folder");
  EXPECT_EQ(platform::ReadWholeFile(dir.Folder() + "folder", bytes), ReadStatus::kCannotOpen);
  ASSERT_EQ(mkfifo((dir.Path() / "fifo").c_str(), 0644), 0);
  EXPECT_EQ(platform::ReadWholeFile(dir.Folder() + "fifo", bytes), ReadStatus::kCannotOpen);
  std::filesystem::create_symlink(dir.Path() / "nowhere", dir.Path() / "link");
  EXPECT_EQ(platform::ReadWholeFile(dir.Folder() + "link", bytes), ReadStatus::kCannotOpen);
}

}  // namespace
