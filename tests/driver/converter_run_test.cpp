// Runs the real converter executable, under a pseudo-terminal and without
// one, and checks what it prints, what it writes and its exit status.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/messages.h"
#include "run_converter.h"
#include "test_support.h"
#include "verified_archive.h"

namespace {

using namespace driver::text;
using archive::ArchiveContents;
using test_support::ReadFile;
using test_support::TempDir;

std::string Banner() {
  return std::string(kBanner1) + std::string(kBanner2) + "Version 0.76\n\n" + std::string(kPrompt1) +
         std::string(kPrompt2);
}

TEST(ConverterRun, WithoutATerminalTheRunIsCancelledAndEndsWith255) {
  TempDir bin;
  std::string exe = test_support::InstallConverter(bin.Path());
  test_support::RunResult r = test_support::RunWithoutTerminal(exe);
  EXPECT_EQ(r.exitStatus, 255);
  EXPECT_EQ(r.output, Banner() + std::string(kCancelled) + std::string(kPressAKey));
  EXPECT_FALSE(std::filesystem::exists(bin.Path() / "tmp.dat"));
  EXPECT_FALSE(std::filesystem::exists(bin.Path() / "DAV299.AVD"));
}

TEST(ConverterRun, ATypedFolderIsConvertedAndTheKeyBecomesTheExitStatus) {
  TempDir bin, game;
  std::string exe = test_support::InstallConverter(bin.Path());
  bin.Write("DATA/readme.txt", "read me");
  bin.Write("DATA/empty", "");
  game.Write("unrelated.txt", "the game folder is never written to");

  test_support::RunResult r = test_support::RunWithTerminal(exe, game.Path().string() + "\r", 'a');
  EXPECT_EQ(r.exitStatus, 97);
  // Everything the converter prints after the chooser, byte for byte.
  std::string tail = std::string(kConverting) + std::string(kFinished) + std::string(kPressAKey);
  size_t converting = r.output.find(kConverting);
  ASSERT_NE(converting, std::string::npos);
  std::string output =
      test_support::WithoutSummary(test_support::WithoutProgress(r.output.substr(converting)));
  ASSERT_GE(output.size(), tail.size());
  EXPECT_EQ(output.substr(output.size() - tail.size()), tail);
  // The progress line was shown on the terminal, and erased.
  EXPECT_NE(r.output.find("\rData files: 2/2, now "), std::string::npos);

  ArchiveContents a = test_support::ReadVerifiedArchive(bin.Path() / "DAV299.AVD");
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 2u);
  EXPECT_EQ(a.members[0].name, "EMPTY");
  EXPECT_EQ(a.members[1].name, "README.TXT");
  EXPECT_EQ(a.members[1].bytes, std::vector<uint8_t>({'r', 'e', 'a', 'd', ' ', 'm', 'e'}));
  EXPECT_FALSE(std::filesystem::exists(bin.Path() / "tmp.dat"));
  std::vector<std::filesystem::path> gameFiles(std::filesystem::directory_iterator(game.Path()), {});
  EXPECT_EQ(gameFiles.size(), 1u);
}

TEST(ConverterRun, EscapeCancelsTheChooser) {
  TempDir bin;
  std::string exe = test_support::InstallConverter(bin.Path());
  test_support::RunResult r = test_support::RunWithTerminal(exe, "\x1b", 'q');
  EXPECT_EQ(r.exitStatus, 'q');
  EXPECT_NE(r.output.find(std::string(kCancelled) + std::string(kPressAKey)), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(bin.Path() / "DAV299.AVD"));
}

}  // namespace
