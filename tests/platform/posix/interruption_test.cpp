#include "platform/interruption.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/output_file.h"
#include "test_support.h"

namespace {

using test_support::TempDir;

struct ChildEnd {
  bool exited = false;
  int status = -1;  // exit status, or the signal that ended the child
  std::string stderrText;
};

// Runs `body` in a child process with standard error on a pipe.
ChildEnd InChild(const std::function<void()>& body) {
  int err[2];
  EXPECT_EQ(pipe(err), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(err[1], STDERR_FILENO);
    close(err[0]);
    body();
    _exit(0);
  }
  close(err[1]);
  ChildEnd end;
  char buf[512];
  for (ssize_t n; (n = read(err[0], buf, sizeof buf)) > 0;)
    end.stderrText.append(buf, static_cast<size_t>(n));
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  end.exited = WIFEXITED(status);
  end.status = end.exited ? WEXITSTATUS(status) : WTERMSIG(status);
  return end;
}

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

TEST(Interruption, RemovesTheNotedFilesPrintsTheLineAndExitsWith128PlusTheSignal) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    TempDir dir;
    const std::string spool = dir.Folder() + "tmp.dat", part = dir.Folder() + "DAV299.AVD.part";
    const std::string renamed = dir.Folder() + "renamed", earlier = dir.Folder() + "DAV299.AVD";
    Touch(earlier);
    ChildEnd end = InChild([&] {
      platform::InterruptionHandling handling("Interrupted.\n", "Interrupted after the rename.\n");
      for (const std::string& path : {spool, part, renamed}) {
        platform::NoteCreatedFile(path);
        Touch(path);
      }
      platform::ForgetCreatedFile(renamed);  // as after a rename into place
      raise(sig);
      _exit(99);
    });
    EXPECT_TRUE(end.exited) << sig;
    EXPECT_EQ(end.status, 128 + sig);
    EXPECT_EQ(end.stderrText, "Interrupted.\n");
    EXPECT_FALSE(std::filesystem::exists(spool));
    EXPECT_FALSE(std::filesystem::exists(part));
    EXPECT_TRUE(std::filesystem::exists(renamed));
    EXPECT_TRUE(std::filesystem::exists(earlier));
  }
}

TEST(Interruption, OnceAFileIsReplacedIntoPlaceTheSecondLineSaysSo) {
  TempDir dir;
  const std::string spool = dir.Folder() + "tmp.dat", archive = dir.Folder() + "DAV299.AVD";
  ChildEnd end = InChild([&] {
    platform::InterruptionHandling handling("Interrupted.\n", "Interrupted after the rename.\n");
    std::optional<platform::OutputFile> part = platform::OutputFile::Create(archive + ".part");
    if (!platform::OutputFile::Create(spool) || !part || !part->Close()) _exit(98);
    if (!platform::ReplaceFile(archive + ".part", archive)) _exit(97);
    raise(SIGTERM);
    _exit(99);
  });
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.status, 128 + SIGTERM);
  EXPECT_EQ(end.stderrText, "Interrupted after the rename.\n");
  EXPECT_TRUE(std::filesystem::exists(archive));
  EXPECT_FALSE(std::filesystem::exists(spool));
}

// That the former handling is back afterwards is the signal helper's test.
TEST(Interruption, IgnoredSignalsStayIgnoredAndABrokenPipeIsHarmless) {
  ChildEnd end = InChild([&] {
    platform::InterruptionHandling handling("never shown\n", "never shown\n");
    raise(SIGPIPE);  // a reader that went away does not end the conversion
    _exit(8);
  });
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.status, 8);

  end = InChild([&] {
    signal(SIGHUP, SIG_IGN);
    platform::InterruptionHandling handling("never shown\n", "never shown\n");
    raise(SIGHUP);
    _exit(7);
  });
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.status, 7);
  EXPECT_EQ(end.stderrText, "");
}

TEST(Interruption, TheTableOfNotedFilesIsBoundedAndAFileItCannotHoldIsNotCreated) {
  TempDir dir;
  const std::string unnoted = dir.Folder() + "tmp.dat";
  ChildEnd end = InChild([&] {
    for (size_t i = 0; i < platform::kMaxNotedFiles; ++i) {
      if (!platform::NoteCreatedFile("/nonexistent/" + std::to_string(i))) _exit(1);
    }
    if (!platform::NoteCreatedFile("/nonexistent/0")) _exit(2);  // noted already
    if (platform::NoteCreatedFile("/nonexistent/full")) _exit(3);
    base::CreateFailure why = base::CreateFailure::kCannotCreate;
    if (platform::OutputFile::Create(unnoted, &why) || why != base::CreateFailure::kCannotTrack) _exit(9);
    platform::ForgetCreatedFile("/nonexistent/3");
    if (!platform::NoteCreatedFile("/nonexistent/again")) _exit(4);
    if (platform::NoteCreatedFile(std::string(platform::kMaxNotedPathLength, 'a'))) _exit(5);
    if (platform::NoteCreatedFile("")) _exit(6);
    _exit(0);
  });
  EXPECT_TRUE(end.exited);
  EXPECT_EQ(end.status, 0);
  EXPECT_FALSE(std::filesystem::exists(unnoted));
}

}  // namespace
