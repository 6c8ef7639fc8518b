#include "driver/raw_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "driver/driver.h"
#include "test_support.h"

namespace {

using test_support::RecordingSink;
using test_support::TempDir;

TEST(AddMatchingFiles, StoresEveryFileOfTheFolderButNotItsSubFolders) {
  TempDir dir;
  dir.Write("DATA/font.bin", std::string("\x01\x02\x00\x03", 4));
  dir.Write("DATA/empty.dat", "");
  dir.Write("DATA/noext", "n");
  dir.Write("DATA/sub/inner.bin", "inner");
  RecordingSink sink;
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", sink);
  std::map<std::string, std::vector<uint8_t>> got;
  for (auto& m : sink.members) got[m.name] = m.bytes;
  EXPECT_EQ(got.size(), 3u);
  EXPECT_EQ(got["font.bin"], (std::vector<uint8_t>{1, 2, 0, 3}));
  EXPECT_EQ(got["empty.dat"], std::vector<uint8_t>{});
  EXPECT_EQ(got["noext"], std::vector<uint8_t>{'n'});
}

TEST(AddMatchingFiles, FindsTheFolderWhateverItsCase) {
  TempDir dir;
  dir.Write("data/a.txt", "a");
  RecordingSink sink;
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", sink);
  ASSERT_EQ(sink.members.size(), 1u);
  EXPECT_EQ(sink.members[0].name, "a.txt");
}

TEST(AddMatchingFiles, UnreadableEntriesAreSkippedSilently) {
  TempDir dir;
  dir.Write("DATA/good", "g");
  std::filesystem::create_symlink(dir.Path() / "nowhere", dir.Path() / "DATA" / "dangling");
  ASSERT_EQ(mkfifo((dir.Path() / "DATA" / "fifo").c_str(), 0644), 0);
  test_support::ConsoleText console;
  RecordingSink sink;
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", sink);
  ASSERT_EQ(sink.members.size(), 1u);
  EXPECT_EQ(sink.members[0].name, "good");
  EXPECT_EQ(console.Text(), "");
}

TEST(ArchiveHeader, HoldsMagicFixedFieldsAndTitle) {
  archive::ArchiveHeader h = driver::PrepareArchiveHeader();
  EXPECT_EQ(std::vector<uint8_t>(h.begin(), h.begin() + 32),
            test_support::Hex("4B454C50495800 00 4D06 0200 0000 1000 0800 0000000000000000000000000000"));
  EXPECT_EQ(std::vector<uint8_t>(h.begin() + 32, h.end()),
            test_support::Hex("834C 838B 8369 815B 8367 00 000000000000000000000000000000000000000000"));
}

}  // namespace
