#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/system_error.h"
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

// The inspector's way in: the path as written, every kind told apart, and a
// failure that carries the system's code for its line.
TEST(InputFile, OpensAsWrittenAndTellsKindsApart) {
  TempDir dir;
  const std::string file = dir.Write("Archive.avd", std::string("abcdef"));
  platform::Result<platform::InputFile> opened = platform::InputFile::OpenAsWritten(file);
  ASSERT_TRUE(opened);
  EXPECT_EQ(opened->Kind(), platform::FileKind::kRegular);
  EXPECT_EQ(opened->Size(), 6u);
  // Asked for more than there is, a read gives what the file holds.
  std::vector<uint8_t> bytes(10);
  const platform::Result<uint64_t> got = opened->ReadFromStart(bytes.data(), bytes.size());
  ASSERT_TRUE(got);
  EXPECT_EQ(*got, 6u);
  EXPECT_FALSE(opened->ReadAll(bytes.data(), bytes.size()));

  platform::Result<platform::InputFile> folder = platform::InputFile::OpenAsWritten(dir.Folder());
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->Kind(), platform::FileKind::kFolder);

  const platform::Result<platform::InputFile> missing =
      platform::InputFile::OpenAsWritten(dir.Folder() + "MISSING.AVD");
  ASSERT_FALSE(missing);
  EXPECT_EQ(platform::Describe(missing.Error(), base::Translations()), "No such file or directory");
  EXPECT_EQ(platform::Describe(missing.Error(), base::Translations(base::Language::kJapanese)),
            base::Translations(base::Language::kJapanese).Tr("No such file or directory"));
  EXPECT_NE(platform::Describe(missing.Error(), base::Translations(base::Language::kJapanese)),
            "No such file or directory");
}

}  // namespace
