// A game named in Japanese on a system that keeps names in UTF-8, and the
// same game from a system that kept them in raw Shift-JIS: the archive holds
// the same Shift-JIS names either way, every scenario reference finds its
// scenario, and a name Shift-JIS cannot hold is left out with its line.
#include "sample/international_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "sample/sio_writer.h"
#include "test_support.h"

namespace {

using test_support::TempDir;

// The files in the order of their archive names, whatever the file system
// lists: both games are then converted alike.
std::vector<platform::FoundName> ListInArchiveNameOrder(const std::string& pattern) {
  std::vector<platform::FoundName> names = driver::ListMatchingNames(pattern);
  std::sort(names.begin(), names.end(), [](const platform::FoundName& a, const platform::FoundName& b) {
    return a.archive != b.archive ? a.archive < b.archive : a.file < b.file;
  });
  return names;
}

struct Converted {
  std::vector<test_support::Member> members;
  std::string lines;
};

Converted Convert(const TempDir& dir, tools::NameForm form) {
  std::string error;
  EXPECT_TRUE(tools::WriteInternationalGame(dir.Path() / "game", dir.Path() / "DATA", form, error)) << error;
  test_support::RecordingSink sink;
  test_support::CapturedConsole console;
  driver::ConvertGame({dir.Folder() + "game/", dir.Folder() + "DATA/"},
                      {console.Console(), console.Diag(), sink, ListInArchiveNameOrder});
  return {sink.members, console.Text()};
}

std::vector<std::string> Names(const Converted& c) {
  std::vector<std::string> names;
  for (const test_support::Member& m : c.members) names.push_back(m.name);
  return names;
}

// The one name that reads both ways (the bytes CE BC) follows the names
// beside it: 「μ」 among UTF-8 names, 「ﾎｼ」 among raw Shift-JIS ones.
TEST(InternationalGame, Utf8AndRawShiftJisNamesGiveTheSameMembersUnderShiftJisNames) {
  TempDir utf8Dir, sjisDir;
  const Converted utf8 = Convert(utf8Dir, tools::NameForm::kUtf8);
  const Converted sjis = Convert(sjisDir, tools::NameForm::kShiftJis);
  using tools::Sjis;
  const std::vector<std::string> scenarios = {"SEEN001.TXT", "SEEN002.TXT", "SEEN003.TXT",
                                              Sjis("OPオープニング１.PDT"), Sjis("ガイド.PDT")};
  const std::vector<std::string> rest = {Sjis("背景１.PDT"), Sjis("表紙.PDT"), "README.TXT",
                                         Sjis("説明書.TXT"), Sjis("表.DAT")};
  std::vector<std::string> expected = scenarios;
  expected.insert(expected.end(), {"\x83\xCA.PDT", Sjis("夜景.PDT"), "BG01.PDT"});
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(Names(utf8), expected);
  // Among raw Shift-JIS names, the bytes of 「é」 are 「ﾃｩ」 too.
  expected = scenarios;
  expected.insert(expected.end(), {"\xCE\xBC.PDT", Sjis("夜景.PDT"), "Caf\xC3\xA9.PDT", "BG01.PDT"});
  expected.insert(expected.end(), rest.begin(), rest.end());
  EXPECT_EQ(Names(sjis), expected);
  for (size_t i = 0; i < utf8.members.size() && i < sjis.members.size(); ++i) {
    if (utf8.members[i].name == sjis.members[i].name) {
      EXPECT_EQ(utf8.members[i].bytes, sjis.members[i].bytes) << utf8.members[i].name;
    }
  }
  // The lines name what was left out and why, in both.
  for (const auto& [dir, c] : {std::pair{&utf8Dir, &utf8}, std::pair{&sjisDir, &sjis}}) {
    const std::string game = dir->Folder() + "game/";
    for (const std::string& line :
         {"Note : " + game + Sjis("._夜景.MOE") + " is a side file of macOS, not game data; skipped\n",
          "Warning : the name of " + game + Sjis("OPオープニング１.MOE") +
              " is longer than 15 bytes; stored as " + Sjis("OPオープニング") + "\n",
          "Warning : " + game + "CG/BG01.MOE and " + game +
              "CG/bg01.old.MOE give one member name, BG01.PDT; the second is left out\n",
          "Note : " + dir->Folder() + "DATA/.DS_Store is a side file of macOS, not game data; skipped\n"}) {
      EXPECT_NE(c->lines.find(line), std::string::npos) << line << "\nin\n" << c->lines;
    }
  }
  const std::string cafe =
      "Warning : no Shift-JIS name for " + utf8Dir.Folder() + "game/CG/Caf\\xC3\\xA9.MOE; left out\n";
  EXPECT_NE(utf8.lines.find(cafe), std::string::npos) << utf8.lines;
  EXPECT_EQ(std::count(utf8.lines.begin(), utf8.lines.end(), '\n'), 5) << utf8.lines;
  EXPECT_EQ(std::count(sjis.lines.begin(), sjis.lines.end(), '\n'), 4) << sjis.lines;
}

TEST(InternationalGame, AScenarioIsReferredToByItsShiftJisNameAndReadByItsOwn) {
  TempDir dir;
  std::string error;
  ASSERT_TRUE(
      tools::WriteInternationalGame(dir.Path() / "game", dir.Path() / "DATA", tools::NameForm::kUtf8, error));
  test_support::RecordingSink sink;
  test_support::CapturedConsole console;
  scenario::ScenarioSet scenarios;
  driver::ListScenarios(dir.Folder() + "game/", scenarios,
                        {console.Console(), console.Diag(), sink, ListInArchiveNameOrder});
  ASSERT_EQ(scenarios.Count(), 3u);
  EXPECT_EQ(scenarios.Name(1), "PROLOGUE.SIO");
  const int second = scenarios.LookupScenario(tools::Sjis("第二話.SIO"));
  const int last = scenarios.LookupScenario(tools::Sjis("終章.sio"));
  ASSERT_GT(second, 1);
  ASSERT_GT(last, 1);
  EXPECT_EQ(scenarios.FileName(static_cast<size_t>(second)), "第二話.SIO");
  EXPECT_EQ(scenarios.FileName(static_cast<size_t>(last)), "終章.SIO");
  EXPECT_EQ(driver::ConvertScenarios(dir.Folder() + "game/", scenarios,
                                     {console.Console(), console.Diag(), sink, ListInArchiveNameOrder}),
            3u);
  EXPECT_EQ(console.Text(), "");
}

}  // namespace
