// A conversion interrupted while its workers compress: the converter ends at
// once with 128 + the signal's number, removes its own files and leaves the
// archive of an earlier run as it was.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "stress_support.h"

namespace {

using test_support::ReadFile;
using test_support::TempDir;

const std::string kEarlierArchive = "good archive of an earlier run";

TEST(Interruptions, ASignalDuringTheConversionEndsTheRunAndKeepsTheEarlierArchive) {
  for (int signal : {SIGINT, SIGTERM}) {
    stress::ConverterSetup setup;
    TempDir game;
    setup.bin.Write("DAV299.AVD", kEarlierArchive);
    // Several seconds of compression.
    for (uint32_t i = 0; i < 60; ++i) {
      setup.bin.Write("DATA/N" + std::to_string(i) + ".BIN", stress::Noise(1 << 20, i + 1));
    }
    int master = -1;
    const pid_t pid = pty_io::StartUnderTerminal((setup.Folder() / "avdconv").string(), master);
    ASSERT_GT(pid, 0);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string output;
    ASSERT_TRUE(pty_io::ReadUntil(master, output, test_support::kChooserTitleSjis, 0, deadline));
    const std::string typed = game.Path().string() + "\r";
    ASSERT_EQ(write(master, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    // The game folder holds data files only: the chooser asks first.
    ASSERT_TRUE(pty_io::ReadUntil(master, output, pty_io::kConfirmQuestion, 0, deadline));
    ASSERT_EQ(write(master, "y", 1), 1);
    ASSERT_TRUE(pty_io::ReadUntil(master, output, driver::text::kConverting, 0, deadline));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(pid, signal);

    // It ends at once, without waiting for its workers.
    int status = 0;
    pid_t ended = 0;
    const auto bound =
        std::chrono::steady_clock::now() + std::chrono::seconds(static_cast<int>(10 * stress::kSlowdown));
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < bound) {
      std::string ignored;
      pty_io::ReadUntil(master, ignored, "\x01-never", 0,
                        std::chrono::steady_clock::now() + std::chrono::milliseconds(20));
    }
    if (ended == 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "the converter did not end after signal " << signal;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + signal) << "signal " << signal;
    }
    close(master);
    EXPECT_EQ(ReadFile(setup.ArchivePath()),
              std::vector<uint8_t>(kEarlierArchive.begin(), kEarlierArchive.end()));
    EXPECT_FALSE(std::filesystem::exists(setup.ArchivePath() + ".part"));
    EXPECT_FALSE(std::filesystem::exists(setup.Folder() / "tmp.dat"));
  }
}

}  // namespace
