// The POSIX output files: leftover links and FIFOs, and the file-size limit.
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
using test_support::Bytes;
using test_support::ReadFile;
using test_support::TempDir;

bool Write(OutputFile& file, std::string_view s) {
  return file.Write(reinterpret_cast<const uint8_t*>(s.data()), s.size());
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

}  // namespace
