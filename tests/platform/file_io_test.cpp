#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"

namespace {

using platform::ReadStatus;
using test_support::TempDir;

TEST(ReadWholeFile, ReadsRegularFilesAndReportsEmptyAndTooLarge) {
  TempDir dir;
  std::vector<uint8_t> bytes;
  EXPECT_EQ(platform::ReadWholeFile(dir.Write("DATA/a.bin", std::string("abc\0d", 5)), bytes),
            ReadStatus::kOk);
  EXPECT_EQ(bytes, (std::vector<uint8_t>{'a', 'b', 'c', 0, 'd'}));
  EXPECT_EQ(platform::ReadWholeFile(dir.Folder() + "data/A.BIN", bytes), ReadStatus::kOk);
  EXPECT_EQ(platform::ReadWholeFile(dir.Write("DATA/empty", ""), bytes), ReadStatus::kEmpty);
  EXPECT_EQ(platform::ReadWholeFile(dir.Folder() + "DATA/a.bin", bytes, 4), ReadStatus::kTooLarge);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(platform::ReadWholeFile(dir.Folder() + "DATA/none", bytes), ReadStatus::kCannotOpen);
}

}  // namespace
