// Which files a pass takes, and under which names: side files, names that
// read two ways, names that meet and names too long for a member.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/passes.h"
#include "moe_builder.h"
#include "sample/sio_writer.h"
#include "test_support.h"

namespace {

using test_support::TempDir;
using tools::Sjis;

struct Pass {
  test_support::CapturedConsole out;
  test_support::RecordingSink sink;
  driver::PassContext Context() { return {out.Console(), out.Diag(), sink}; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const test_support::Member& m : sink.members) names.push_back(m.name);
    return names;
  }
};

TEST(FoundNames, SideFilesOfMacOsAreSkippedWithALineAndOtherDotFilesAreKept) {
  TempDir dir;
  dir.Write("DATA/._FONT.BIN", test_support::Hex("00 05 16 07 00 02 00 00"));
  dir.Write("DATA/.DS_Store", "Bud1");
  dir.Write("DATA/._NOTES", "not a side file");  // no AppleDouble magic
  dir.Write("DATA/FONT.BIN", "font");
  Pass pass;
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", pass.Context());
  EXPECT_EQ(pass.Names(), (std::vector<std::string>{"._NOTES", "FONT.BIN"}));
  const std::string text = pass.out.Text();
  EXPECT_NE(text.find("Note : " + dir.Folder() + "DATA/._FONT.BIN is a side file of macOS"),
            std::string::npos);
  EXPECT_NE(text.find("Note : " + dir.Folder() + "DATA/.DS_Store is a side file of macOS"),
            std::string::npos);
}

#ifndef _WIN32  // names of two letter cases, raw Shift-JIS names, '/' in the lines
// Whatever order the folder lists them in, the file with the smaller
// archive name keeps the member name.
TEST(FoundNames, OfTwoFilesThatGiveOneMemberNameTheSecondIsLeftOutWithALineNamingBoth) {
  TempDir dir;
  dir.Write("DATA/a.txt", "lower");
  dir.Write("DATA/A.TXT", "upper");
  dir.Write("CG/BG01.MOE", test_support::Hex(moe_test::kWorkedRunLengthFile));
  dir.Write("CG/bg01.old.moe", test_support::Hex(moe_test::kWorkedPaletteFile));
  dir.Write("BG01.MOE", test_support::Hex(moe_test::kWorkedPaletteFile));
  Pass pass;
  driver::MemberNames names;
  driver::PassContext context = pass.Context();
  context.names = &names;
  driver::ConvertImageFolder(dir.Folder(), "", context);
  driver::ConvertImageFolder(dir.Folder(), "CG", context);
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", context);
  EXPECT_EQ(pass.Names(), (std::vector<std::string>{"BG01.PDT", "A.TXT"}));
  EXPECT_EQ(std::string(pass.sink.members[1].bytes.begin(), pass.sink.members[1].bytes.end()), "upper");
  const std::string text = pass.out.Text();
  const std::string f = dir.Folder();
  for (const std::string& line :
       {"Warning : " + f + "CG/BG01.MOE and " + f + "CG/bg01.old.moe give one member name, BG01.PDT",
        "Warning : " + f + "BG01.MOE and " + f + "CG/BG01.MOE give one member name, BG01.PDT",
        "Warning : " + f + "DATA/A.TXT and " + f + "DATA/a.txt give one member name, A.TXT"}) {
    EXPECT_NE(text.find(line + "; the second is left out\n"), std::string::npos) << line << "\n" << text;
  }
}

TEST(FoundNames, AScenarioWhoseNameMeetsAnotherTakesNoNumber) {
  TempDir dir;
  dir.Write("MES/PROLOGUE.SIO", tools::SioWriter().Finish());
  dir.Write("MES/end.sio", tools::SioWriter().Finish());
  dir.Write("MES/END.SIO", tools::SioWriter().Finish());
  dir.Write("MES/ZZ.SIO", tools::SioWriter().Finish());
  Pass pass;
  scenario::ScenarioSet scenarios;
  driver::ListScenarios(dir.Folder(), scenarios, pass.Context());
  ASSERT_EQ(scenarios.Count(), 3u);
  EXPECT_EQ(scenarios.FileName(static_cast<size_t>(scenarios.LookupScenario("END.SIO"))), "END.SIO");
  EXPECT_NE(scenarios.LookupScenario("ZZ.SIO"), 0);
  EXPECT_NE(pass.out.Text().find("END.SIO and " + dir.Folder() + "MES/end.sio give one member name"),
            std::string::npos)
      << pass.out.Text();
}

#endif

// The name of a scenario member never meets a data file's unnoticed.
TEST(FoundNames, ADataFileNamedAsAScenarioMemberIsLeftOutInAConversion) {
  TempDir dir;
  tools::SioWriter prologue;
  prologue.Message(Sjis("「はじまり」"));
  dir.Write("game/MES/PROLOGUE.SIO", prologue.Finish());
  dir.Write("DATA/SEEN001.TXT", "data");
  Pass pass;
  driver::ConvertGame({dir.Folder() + "game/", dir.Folder() + "DATA/"}, pass.Context());
  EXPECT_EQ(pass.Names(), (std::vector<std::string>{"SEEN001.TXT"}));
  EXPECT_NE(pass.sink.members[0].bytes, std::vector<uint8_t>({'d', 'a', 't', 'a'}));
  EXPECT_NE(pass.out.Text().find("DATA/SEEN001.TXT give one member name, SEEN001.TXT"), std::string::npos)
      << pass.out.Text();
}

#ifndef _WIN32  // raw Shift-JIS names
TEST(FoundNames, ANameLongerThanAMemberHoldsIsStoredCutAtAWholeCharacterWithALine) {
  TempDir dir;
  // "OP" and seven full-width characters: the 15th byte begins 「１」.
  const std::string name = Sjis("OPオープニング１.DAT");
  dir.Write("DATA/" + name, "long");
  dir.Write("DATA/ABCDEFGHIJKLMNO", "15 bytes: whole");
  Pass pass;
  driver::AddMatchingFiles(dir.Folder() + "DATA/*.*", pass.Context());
  EXPECT_EQ(pass.out.Text(), "Warning : the name of " + dir.Folder() + "DATA/" + name +
                                 " is longer than 15 bytes; stored as " + Sjis("OPオープニング") + "\n");
  EXPECT_EQ(archive::StoredName(name), Sjis("OPオープニング"));
  EXPECT_EQ(archive::StoredName("abcdefghijklmnopq"), "ABCDEFGHIJKLMNO");
}

// The bytes CE BC: 「μ」 in UTF-8, 「ﾎｼ」 in Shift-JIS.
TEST(FoundNames, ANameThatReadsTwoWaysIsReadAsTheNamesOfItsFolderRead) {
  TempDir dir;
  dir.Write("raw/\xCE\xBC.DAT", "");
  dir.Write("raw/" + Sjis("表.DAT"), "");
  dir.Write("utf8/\xCE\xBC.DAT", "");
  dir.Write("utf8/表.DAT", "");
  dir.Write("none/\xCE\xBC.DAT", "");
  dir.Write("none/README", "");
  const auto convert = [&](const std::string& folder, std::string& lines) {
    Pass pass;
    driver::AddMatchingFiles(dir.Folder() + folder + "/*.*", pass.Context());
    lines = pass.out.Text();
    std::vector<std::string> names = pass.Names();
    std::sort(names.begin(), names.end());
    return names;
  };
  std::string lines;
  EXPECT_EQ(convert("raw", lines), (std::vector<std::string>{Sjis("表.DAT"), "\xCE\xBC.DAT"}));
  EXPECT_EQ(lines, "");
  EXPECT_EQ(convert("utf8", lines), (std::vector<std::string>{"\x83\xCA.DAT", Sjis("表.DAT")}));
  EXPECT_EQ(lines, "");
  EXPECT_EQ(convert("none", lines), (std::vector<std::string>{"README", "\x83\xCA.DAT"}));
  EXPECT_EQ(lines, "Warning : " + dir.Folder() +
                       "none/\x83\xCA.DAT reads as UTF-8 (\x83\xCA.DAT) and as Shift-JIS (" +
                       "\xCE\xBC.DAT); read as UTF-8\n");
}
#endif

}  // namespace
