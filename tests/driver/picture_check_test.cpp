// The check of the pictures a conversion's scenarios show against the
// members it stores, and its one warning line.
#include "driver/picture_check.h"

#include <gtest/gtest.h>

namespace {

using driver::MissingPicture;
using driver::PictureCheck;
using scenario::PictureReference;
using scenario::PictureUse;

PictureReference Background(std::string name) { return {std::move(name), 0, PictureUse::kBackground}; }
PictureReference Sprite(std::string name) { return {std::move(name), 0, PictureUse::kSprite}; }

std::string Warning(const std::vector<MissingPicture>& missing) {
  base::CollectedDiagnostics diag;
  driver::ReportMissingPictures(missing, diag);
  return diag.Text();
}

TEST(PictureCheck, EachMissingPictureOnceInOrderOfFirstShowingWithItsLikelyFolder) {
  PictureCheck check;
  const std::vector<PictureReference> first = {Background("EV09"), Sprite("ZED1A01"), Background("cg012")};
  const std::vector<PictureReference> second = {Background("CG012"), Background("OP7"), Background("ev09"),
                                                Sprite("Zed1A02")};
  check.AddShown(first);
  check.AddShown(second);
  check.AddStored("EV01.PDT", "CG");
  check.AddStored("zed1a02.pdt", PictureCheck::kDataFolder);  // present, and says nothing of folders
  check.AddStored("OP01.PDT", "OPENING");
  check.AddStored("OP02.PDT", "");
  check.AddStored("OP03.PDT", "OPENING");
  std::vector<std::pair<std::string, std::string>> got;
  for (const MissingPicture& m : check.Missing()) got.emplace_back(m.name, m.folder);
  // Sprites belong in TACHI, a series where most of its pictures are, a name
  // after a folder in that folder.
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"EV09", "CG"}, {"ZED1A01", "TACHI"}, {"cg012", "CG"}, {"OP7", "OPENING"}};
  EXPECT_EQ(got, expected);
}

TEST(PictureCheck, ANameLongerThanAMemberNameHoldsIsNeverFound) {
  PictureCheck check;
  const std::vector<PictureReference> shown = {Background("LONGNAME1234"), Background("LONGNAME123")};
  check.AddShown(shown);
  check.AddStored("LONGNAME1234.PDT", "CG");  // stored as "LONGNAME1234.PD"
  check.AddStored("LONGNAME123.PDT", "CG");
  const std::vector<MissingPicture> missing = check.Missing();
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].name, "LONGNAME1234");
}

TEST(PictureCheck, OneWarningListsTheFirstThreeAndNamesTheFolderOfMostOnly) {
  EXPECT_EQ(Warning({}), "");
  EXPECT_EQ(Warning({{"BLACK", ""}}),
            "Warning : 1 picture that the scenarios show is not in the game folder: BLACK\n");
  EXPECT_EQ(Warning({{"BG05", "CG"}, {"AOI1A01", "TACHI"}}),
            "Warning : 2 pictures that the scenarios show are not in the game folder: BG05, AOI1A01\n");
  std::vector<MissingPicture> many;
  for (int i = 0; i < 12; ++i) many.push_back({"CG0" + std::to_string(12 + i), "CG"});
  many[11].folder = "";
  EXPECT_EQ(Warning(many),
            "Warning : 12 pictures that the scenarios show are not in the game folder: CG012, CG013, CG014, "
            "and 9 more (most belong in the folder CG)\n");
  // Control bytes of a name are shown escaped.
  EXPECT_EQ(Warning({{"A\x1b[2J", ""}}),
            "Warning : 1 picture that the scenarios show is not in the game folder: A\\x1B[2J\n");
}

}  // namespace
