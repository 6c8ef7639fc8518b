#include "driver/passes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "driver/driver.h"
#include "moe_builder.h"
#include "test_support.h"

namespace {

using test_support::RecordingSink;
using test_support::TempDir;

// A pass's console, lines and members, kept for the test.
struct Pass {
  test_support::CapturedConsole out;
  RecordingSink sink;
  driver::PassContext Context() { return {out.Console(), out.Diag(), sink}; }
};

TEST(AddMatchingFiles, StoresEveryFileOfTheFolderButNotItsSubFolders) {
  TempDir dir;
  dir.Write("DATA/font.bin", std::string("\x01\x02\x00\x03", 4));
  dir.Write("DATA/empty.dat", "");
  dir.Write("DATA/noext", "n");
  dir.Write("DATA/sub/inner.bin", "inner");
  Pass pass;
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", pass.Context());
  std::map<std::string, std::vector<uint8_t>> got;
  for (auto& m : pass.sink.members) got[m.name] = m.bytes;
  EXPECT_EQ(got.size(), 3u);
  EXPECT_EQ(got["font.bin"], (std::vector<uint8_t>{1, 2, 0, 3}));
  EXPECT_EQ(got["empty.dat"], std::vector<uint8_t>{});
  EXPECT_EQ(got["noext"], std::vector<uint8_t>{'n'});
}

TEST(AddMatchingFiles, FindsTheFolderWhateverItsCase) {
  TempDir dir;
  dir.Write("data/a.txt", "a");
  Pass pass;
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", pass.Context());
  ASSERT_EQ(pass.sink.members.size(), 1u);
  EXPECT_EQ(pass.sink.members[0].name, "a.txt");
}

#ifndef _WIN32  // links and FIFOs
TEST(AddMatchingFiles, UnreadableEntriesAreSkippedSilently) {
  TempDir dir;
  dir.Write("DATA/good", "g");
  std::filesystem::create_symlink(dir.Path() / "nowhere", dir.Path() / "DATA" / "dangling");
  ASSERT_EQ(mkfifo((dir.Path() / "DATA" / "fifo").c_str(), 0644), 0);
  Pass pass;
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", pass.Context());
  ASSERT_EQ(pass.sink.members.size(), 1u);
  EXPECT_EQ(pass.sink.members[0].name, "good");
  EXPECT_EQ(pass.out.Text(), "");
}
#endif

TEST(ConvertImageFolder, ConvertsEveryPictureOfOneFolderWhateverItsCase) {
  test_support::TempDir dir;
  const std::string root = dir.Folder() + "game.v1/";
  dir.Write("game.v1/A.MOE", test_support::Hex(moe_test::kWorkedRunLengthFile));
  dir.Write("game.v1/b.moe", test_support::Hex(moe_test::kWorkedRunLengthFile));
  dir.Write("game.v1/EMPTY.MOE", "");
  dir.Write("game.v1/NOTE.TXT", test_support::Hex(moe_test::kWorkedRunLengthFile));
  dir.Write("game.v1/SUB.MOE/C.MOE",
            test_support::Hex(moe_test::kWorkedRunLengthFile));  // a folder is no picture
  dir.Write("game.v1/CG/A.MOE", test_support::Hex(moe_test::kWorkedPaletteFile));
  dir.Write("game.v1/opening/d.MOE", test_support::Hex(moe_test::kWorkedPaletteFile));

  auto names = [&](const std::string& folder) {
    Pass pass;
    driver::ConvertImageFolder(root, folder, pass.Context());
    std::vector<std::string> found;
    for (const test_support::Member& m : pass.sink.members) found.push_back(m.name);
    std::sort(found.begin(), found.end());
    return found;
  };
  EXPECT_EQ(names(""), (std::vector<std::string>{"A.PDT", "b.PDT"}));
  EXPECT_EQ(names("CG"), (std::vector<std::string>{"A.PDT"}));
  EXPECT_EQ(names("OPENING"), (std::vector<std::string>{"d.PDT"}));
  EXPECT_EQ(names("TACHI"), (std::vector<std::string>{}));
}

TEST(ConvertImageFolder, AReportedPictureNamesItsPathAndTheProgressLineStaysOffACapture) {
  TempDir dir;
  const std::string path = dir.Write("CG/HUGE.MOE", test_support::Hex("FF FF FF FF 00"));
  Pass pass;
  driver::ConvertImageFolder(dir.Folder(), "CG", pass.Context());
  EXPECT_TRUE(pass.sink.members.empty());
  EXPECT_EQ(pass.out.Text(), "Warning : picture too large, left out: " + path + "\n");
}

#ifndef _WIN32  // control bytes in file names
// A name may hold an escape sequence that would retitle the window; a
// Shift-JIS name keeps its characters.
TEST(Passes, NamesInLinesShowTheirControlBytesEscapedAndTheirShiftJisAsItIs) {
  TempDir dir;
  dir.Write("MES/X\x1b]0;PWN\x07.SIO", std::vector<uint8_t>(70000, 0x12));
  const std::string picture = dir.Write("CG/\x83L\x1b\x81.MOE", test_support::Hex("FF FF FF FF 00"));
  Pass pass;
  scenario::ScenarioSet scenarios;
  driver::ListScenarios(dir.Folder(), scenarios, pass.Context());
  driver::ConvertScenarios(dir.Folder(), scenarios, pass.Context());
  driver::ConvertImageFolder(dir.Folder(), "CG", pass.Context());
  EXPECT_EQ(pass.out.Text(),
            "Warning : scenario file longer than 65536 bytes, skipped: X\\x1B]0;PWN\\x07.SIO\n"
            "Warning : picture too large, left out: " +
                dir.Folder() + "CG/\x83L\\x1B\\x81.MOE\n");
}
#endif

TEST(ArchiveHeader, HoldsMagicFixedFieldsAndTitle) {
  archive::ArchiveHeader h = archive::MakeHeader();
  EXPECT_EQ(std::vector<uint8_t>(h.begin(), h.begin() + 32),
            test_support::Hex("4B454C50495800 00 4D06 0200 0000 1000 0800 0000000000000000000000000000"));
  EXPECT_EQ(std::vector<uint8_t>(h.begin() + 32, h.end()),
            test_support::Hex("834C 838B 8369 815B 8367 00 000000000000000000000000000000000000000000"));
}

}  // namespace
