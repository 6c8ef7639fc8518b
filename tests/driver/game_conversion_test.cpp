// Whole games through the real executable: what lands in the archive must be
// exactly what the passes make of the game's files.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/sjis.h"
#include "driver/driver.h"
#include "driver/messages.h"
#include "member_builders.h"
#include "run_converter.h"
#include "sample/sample_game.h"
#include "test_support.h"
#include "verified_archive.h"

namespace {

using archive::ArchiveContents;
using test_support::Hex;
using test_support::ReadFile;
using test_support::TempDir;

ArchiveContents Convert(const TempDir& bin, const TempDir& game, std::string* output = nullptr) {
  std::string exe = test_support::InstallConverter(bin.Path());
  test_support::RunResult r = test_support::RunWithTerminal(exe, game.Path().string() + "\r", 'a');
  EXPECT_EQ(r.exitStatus, 97);
  if (output) {
    size_t converting = r.output.find(driver::text::kConverting);
    *output = converting == std::string::npos
                  ? r.output
                  : test_support::WithoutSummary(test_support::WithoutProgress(r.output.substr(converting)));
  }
  return test_support::ReadVerifiedArchive(bin.Path() / "DAV299.AVD");
}

TEST(GameConversion, AScenarioIsTranslatedByteForByteAndNumberedWithThePrologueFirst) {
  TempDir bin, game;
  game.Write("mes/a.sio", Hex("02"));
  game.Write("mes/prologue.sio", Hex("09 0258 00012C"        // variable 600 = 300
                                     "07 0003"               // scenario 994
                                     "12"                    // music stop
                                     "F0 8175 82A0 8176 00"  // 「あ」
                                     "01 0000"               // jump to the start
                                     "04 612E73696F 00"));   // a.sio by name
  std::string output;
  ArchiveContents a = Convert(bin, game, &output);
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 2u);
  std::vector<uint8_t> code =
      Hex("3C 2044 2C12"
          "3B 10 13 73 1D 11 16 02 223E 73 1D 10"
          "0E 10 2406"
          "FF 8175 82A0 8176 00 01"
          "1C 00000000"
          "16 01 12");
  EXPECT_EQ(a.members[0].name, "SEEN001.TXT");
  EXPECT_EQ(a.members[0].bytes, test_support::Tpc(code, true));
  EXPECT_EQ(a.members[1].name, "SEEN002.TXT");
  EXPECT_EQ(a.members[1].bytes, test_support::Tpc({}, true));
  EXPECT_EQ(output, std::string(driver::text::kConverting) + std::string(driver::text::kFinished) +
                        std::string(driver::text::kPressAKey));
}

TEST(GameConversion, TheSampleGameConvertsToExactlyWhatEachPassMakes) {
  TempDir bin, game;
  tools::SampleReport report;
  std::string error;
  ASSERT_TRUE(tools::WriteSampleGame(game.Path() / "game", bin.Path() / "DATA", {}, report, error)) << error;
  const std::string gameFolder = game.Folder() + "game/";

  // What the passes make of the same files, in-process.
  test_support::RecordingSink expected;
  {
    test_support::CapturedConsole quiet;
    driver::ConvertGame({gameFolder, bin.Folder() + "DATA/"}, {quiet.Console(), quiet.Diag(), expected});
    EXPECT_EQ(quiet.Text(), "") << "the sample game converts without a message";
  }
  ASSERT_EQ(expected.members.size(),
            static_cast<size_t>(report.scenarios + report.pictures + report.dataFiles));

  std::string exe = test_support::InstallConverter(bin.Path());
  test_support::RunResult r = test_support::RunWithTerminal(exe, gameFolder + "\r", 'z');
  EXPECT_EQ(r.exitStatus, 'z');
  ArchiveContents a = test_support::ReadVerifiedArchive(bin.Path() / "DAV299.AVD");
  ASSERT_TRUE(a.valid);
  EXPECT_EQ(a.members.size(), expected.members.size());
  for (const test_support::Member& m : expected.members) {
    std::string name = m.name;
    base::UpperCaseName(name);
    const ArchiveContents::Member* stored = a.Find(name.substr(0, 15));
    ASSERT_NE(stored, nullptr) << name;
    EXPECT_EQ(stored->bytes, m.bytes) << name;
  }
}

}  // namespace
