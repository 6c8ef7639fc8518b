// A conversion interrupted while its workers compress: the converter ends at
// once with 128 + the signal's number, removes its own files and leaves the
// archive of an earlier run as it was.
#include <signal.h>

#include <chrono>
#include <string>

#include "stress_support.h"

namespace {

using test_support::ReadFile;
using test_support::TempDir;

const std::string kEarlierArchive = "good archive of an earlier run";

TEST(Interruptions, ASignalWhileMembersAreCompressedEndsTheRunAtOnceAndKeepsTheEarlierArchive) {
  for (int signal : {SIGINT, SIGTERM}) {
    stress::ConverterSetup setup;
    TempDir game;
    setup.bin.Write("DAV299.AVD", kEarlierArchive);
    // A megabyte of noise takes a worker a while: when the converter opens
    // the 20th file, the ones before are still being compressed.
    for (uint32_t i = 0; i < 40; ++i) {
      setup.bin.Write("DATA/N" + std::to_string(i) + ".BIN", stress::Noise(1 << 20, i + 1));
    }
    test_support::TerminalSession t((setup.Folder() / "avdconv").string(), {},
                                    test_support::StopAt("open .BIN 20"));
    ASSERT_TRUE(t.WaitFor(test_support::kChooserTitleSjis));
    t.Type(game.Path().string() + "\r");
    // The game folder holds data files only: the chooser asks first.
    ASSERT_TRUE(t.WaitFor(pty_io::kConfirmQuestion));
    t.Type("y");
    ASSERT_TRUE(t.WaitForStop());
    const auto signalled = std::chrono::steady_clock::now();
    t.SignalStopped(signal);

    // It ends at once, without waiting for its workers.
    EXPECT_EQ(t.Finish(), 128 + signal) << "signal " << signal;
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - signalled).count(),
              10 * stress::kSlowdown);
    EXPECT_EQ(ReadFile(setup.ArchivePath()),
              std::vector<uint8_t>(kEarlierArchive.begin(), kEarlierArchive.end()));
    EXPECT_FALSE(std::filesystem::exists(setup.ArchivePath() + ".part"));
    EXPECT_FALSE(std::filesystem::exists(setup.Folder() / "tmp.dat"));
  }
}

}  // namespace
