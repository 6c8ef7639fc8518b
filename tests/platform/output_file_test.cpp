#include "platform/output_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;
using platform::OutputFile;
using test_support::ReadFile;
using test_support::TempDir;

std::vector<uint8_t> Bytes(std::string_view s) { return {s.begin(), s.end()}; }

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

TEST(OutputFileCreate, ReplacesALinkInsteadOfWritingThroughIt) {
  TempDir dir, elsewhere;
  const std::string victim = elsewhere.Write("victim", std::string("keep me"));
  fs::create_symlink(victim, dir.Path() / "linked");
  fs::create_symlink(dir.Path() / "nowhere", dir.Path() / "dangling");
  for (const char* name : {"linked", "dangling"}) {
    std::optional<OutputFile> file = OutputFile::Create(dir.Folder() + name);
    ASSERT_TRUE(file) << name;
    ASSERT_TRUE(Write(*file, name));
    ASSERT_TRUE(file->Close());
    EXPECT_FALSE(fs::is_symlink(dir.Path() / name)) << name;
    EXPECT_EQ(ReadFile(dir.Path() / name), Bytes(name));
  }
  EXPECT_EQ(ReadFile(victim), Bytes("keep me"));
  EXPECT_FALSE(fs::exists(dir.Path() / "nowhere"));
}

TEST(OutputFileCreate, ReplacesAFifoWithoutOpeningIt) {
  TempDir dir;
  const fs::path path = dir.Path() / "tmp.dat";
  ASSERT_EQ(mkfifo(path.c_str(), 0644), 0);
  // Opening the FIFO for writing alone would wait here for a reader.
  std::optional<OutputFile> file = OutputFile::Create(path.string());
  ASSERT_TRUE(file);
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
  ASSERT_TRUE(Write(*file, "spooled"));
  std::vector<uint8_t> back(7);
  ASSERT_TRUE(file->ReadAt(back.data(), back.size(), 0));
  EXPECT_EQ(back, Bytes("spooled"));
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

// A write beyond the file-size limit fails with the signal's default action
// in place: creating the file is enough to keep the process alive.
TEST(OutputFile, AWriteBeyondTheFileSizeLimitFailsInsteadOfEndingTheProcess) {
  TempDir dir;
  const std::string path = dir.Folder() + "tmp.dat";
  const pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit rl{1000, 1000};
    setrlimit(RLIMIT_FSIZE, &rl);
    std::optional<OutputFile> file = OutputFile::Create(path);
    if (!file) _exit(10);
    const std::vector<uint8_t> bytes(1500, 'x');
    if (file->Write(bytes.data(), bytes.size())) _exit(11);
    // What fitted is in the file; later small writes fail as well.
    if (file->Write(bytes.data(), 1)) _exit(12);
    _exit(file->Close() ? 0 : 13);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(fs::file_size(path), 1000u);
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

}  // namespace
