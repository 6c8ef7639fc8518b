#include "platform/output_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "base/translations.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using platform::OutputFile;
using test_support::Bytes;
using test_support::ReadFile;
using test_support::TempDir;

bool Write(OutputFile& file, std::string_view s) {
  return file.Write(reinterpret_cast<const uint8_t*>(s.data()), s.size());
}

TEST(OutputFileCreate, ReplacesALeftoverFileByAnEmptyOne) {
  TempDir dir;
  const std::string path = dir.Write("tmp.dat", std::string("leftover of an earlier run"));
  std::optional<OutputFile> file = OutputFile::Create(path);
  ASSERT_TRUE(file);
  EXPECT_EQ(fs::file_size(path), 0u);
  ASSERT_TRUE(Write(*file, "new"));
  ASSERT_TRUE(file->Close());
  EXPECT_EQ(ReadFile(path), Bytes("new"));
}

TEST(OutputFileCreate, FailsOnAFolderOfThatNameAndLeavesItAlone) {
  TempDir dir;
  dir.Write("DAV299.AVD/inside", "kept");
  EXPECT_FALSE(OutputFile::Create(dir.Folder() + "DAV299.AVD"));
  EXPECT_EQ(ReadFile(dir.Path() / "DAV299.AVD" / "inside"), Bytes("kept"));
  fs::create_directory(dir.Path() / "empty");
  EXPECT_FALSE(OutputFile::Create(dir.Folder() + "empty"));
  EXPECT_TRUE(fs::is_directory(dir.Path() / "empty"));
  EXPECT_FALSE(OutputFile::Create(dir.Folder() + "missing/tmp.dat"));
}

TEST(OutputFile, ReadsBackExactlyWhatWasWrittenAndNothingBeyond) {
  TempDir dir;
  std::optional<OutputFile> file = OutputFile::Create(dir.Folder() + "tmp.dat");
  ASSERT_TRUE(file);
  ASSERT_TRUE(Write(*file, "0123456789"));
  ASSERT_TRUE(Write(*file, "ab"));  // appends
  std::vector<uint8_t> back(4);
  ASSERT_TRUE(file->ReadAt(back.data(), 4, 8));
  EXPECT_EQ(back, Bytes("89ab"));
  EXPECT_TRUE(file->ReadAt(back.data(), 0, 12));
  // A read that runs past the end fails, even when part of it is there.
  EXPECT_FALSE(file->ReadAt(back.data(), 4, 9));
  EXPECT_FALSE(file->ReadAt(back.data(), 1, 12));
  EXPECT_FALSE(file->ReadAt(back.data(), 1, UINT64_MAX));
  EXPECT_FALSE(file->ReadAt(back.data(), 2, uint64_t{INT64_MAX}));
  // Reading does not move where the next write goes.
  ASSERT_TRUE(Write(*file, "c"));
  EXPECT_TRUE(file->Flush());
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(ReadFile(dir.Path() / "tmp.dat"), Bytes("0123456789abc"));
}

TEST(OutputFile, AMovedFileIsClosedOnceAndOnlyByItsNewOwner) {
  TempDir dir;
  std::optional<OutputFile> file = OutputFile::Create(dir.Folder() + "a");
  ASSERT_TRUE(file);
  ASSERT_TRUE(Write(*file, "a"));
  OutputFile moved = std::move(*file);
  EXPECT_FALSE(Write(*file, "x"));
  file.reset();  // must not close the file `moved` holds
  uint8_t byte = 0;
  EXPECT_TRUE(moved.ReadAt(&byte, 1, 0));
  EXPECT_TRUE(moved.Close());
  EXPECT_FALSE(moved.Close());
  EXPECT_FALSE(Write(moved, "x"));
  EXPECT_EQ(ReadFile(dir.Path() / "a"), Bytes("a"));
}

TEST(ReplaceFile, PutsTheNewBytesInPlaceOfAnEarlierFile) {
  TempDir dir;
  const std::string target = dir.Write("DAV299.AVD", std::string("earlier archive, longer than the new"));
  const std::string part = dir.Folder() + "DAV299.AVD.part";
  std::optional<OutputFile> file = OutputFile::Create(part);
  ASSERT_TRUE(file);
  ASSERT_TRUE(Write(*file, "new"));
  ASSERT_TRUE(file->Flush());
  ASSERT_TRUE(file->Close());
  EXPECT_TRUE(platform::ReplaceFile(part, target));
  EXPECT_EQ(ReadFile(target), Bytes("new"));
  EXPECT_FALSE(fs::exists(part));
  // Without an earlier file the new one simply takes the name.
  dir.Write("second.part", std::string("second"));
  EXPECT_TRUE(platform::ReplaceFile(dir.Folder() + "second.part", dir.Folder() + "second"));
  EXPECT_EQ(ReadFile(dir.Path() / "second"), Bytes("second"));
}

TEST(ReplaceFile, FailsWithBothFilesAsTheyWereWhenTheNameIsAFolder) {
  TempDir dir;
  dir.Write("DAV299.AVD/inside", "kept");
  const std::string part = dir.Write("DAV299.AVD.part", std::string("new"));
  EXPECT_FALSE(platform::ReplaceFile(part, dir.Folder() + "DAV299.AVD"));
  EXPECT_EQ(ReadFile(part), Bytes("new"));
  EXPECT_EQ(ReadFile(dir.Path() / "DAV299.AVD" / "inside"), Bytes("kept"));
  EXPECT_FALSE(platform::ReplaceFile(dir.Folder() + "missing", part));
  EXPECT_EQ(ReadFile(part), Bytes("new"));
}

// The move that never replaces: whatever stands at the name stays, a link
// that leads nowhere too, and the new file keeps its own name.
TEST(MoveToFreeName, TakesOnlyANameNothingStandsAt) {
  TempDir dir;
  const std::string part = dir.Write("sheet.png.part", std::string("new"));
  const std::string earlier = dir.Write("sheet.png", std::string("earlier"));
  EXPECT_FALSE(platform::MoveToFreeName(part, earlier));
  EXPECT_EQ(ReadFile(earlier), Bytes("earlier"));
  EXPECT_EQ(ReadFile(part), Bytes("new"));
#ifndef _WIN32
  fs::create_symlink(dir.Folder() + "nowhere", dir.Path() / "dangling.png");
  EXPECT_FALSE(platform::MoveToFreeName(part, dir.Folder() + "dangling.png"));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "dangling.png"));
  EXPECT_FALSE(fs::exists(dir.Path() / "nowhere"));
#endif
  EXPECT_TRUE(platform::MoveToFreeName(part, dir.Folder() + "free.png"));
  EXPECT_EQ(ReadFile(dir.Path() / "free.png"), Bytes("new"));
  EXPECT_FALSE(fs::exists(part));
}

}  // namespace

namespace {

// Two runs into one folder: the second finds the first's file held and
// leaves it alone, with a reason of its own; once closed, it is free.
TEST(OutputFileCreate, AFileAnotherWriterHoldsIsLeftToItUntilClosed) {
  TempDir dir;
  const std::string path = dir.Folder() + "tmp.dat";
  std::optional<OutputFile> first = OutputFile::Create(path);
  ASSERT_TRUE(first);
  ASSERT_TRUE(Write(*first, "first run"));
  base::CreateFailure why{};
  EXPECT_FALSE(OutputFile::Create(path, &why));
  EXPECT_EQ(why, base::CreateFailure::kInUse);
  std::vector<uint8_t> back(9);
  ASSERT_TRUE(first->ReadAt(back.data(), back.size(), 0));
  EXPECT_EQ(back, Bytes("first run"));
  ASSERT_TRUE(first->Close());
  EXPECT_TRUE(OutputFile::Create(path, &why));
}

TEST(DiskFileStore, GivesTheReasonOfAFailureInTheUsersLanguage) {
  TempDir dir;
  base::CreateFailure why{};
  const platform::DiskFileStore english;
  EXPECT_EQ(english.Create(dir.Folder() + "missing/tmp.dat", why), nullptr);
  EXPECT_EQ(why, base::CreateFailure::kCannotCreate);
  EXPECT_EQ(english.LastReason(), "No such file or directory");
  const base::Translations japanese(base::Language::kJapanese);
  const platform::DiskFileStore inJapanese(japanese);
  EXPECT_FALSE(inJapanese.Replace(dir.Folder() + "none", dir.Folder() + "DAV299.AVD"));
  EXPECT_EQ(inJapanese.LastReason(), japanese.Tr("No such file or directory"));
  EXPECT_NE(inJapanese.LastReason(), "No such file or directory");
}

}  // namespace
