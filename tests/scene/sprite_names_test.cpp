#include "scene_test.h"

namespace {

const std::string CLEAR = "0B 30 0B 05 40 11 10";

// 03, the name and its zero, then num 0 0 399 479 x 0.
std::string Sprite(std::string_view name, const std::string& x) {
  std::string hex = "03 ";
  for (unsigned char c : name) {
    hex += "0123456789ABCDEF"[c >> 4];
    hex += "0123456789ABCDEF"[c & 15];
    hex += ' ';
  }
  return hex + " 00 10 10 2F18 2F1D " + x + " 10";
}

const std::string X120 = "28 07";
const std::string X260 = "24 10";
const std::string X290 = "22 12";
const std::string XM20 = "5C FE FF FF FF";
const std::string XM50 = "5E FC FF FF FF";

}  // namespace

TEST_F(SceneTest, ClearCharactersEmitsTheClearSequence) {
  EXPECT_EQ(Run("0E"), Hex(CLEAR));
  EXPECT_EQ(Run("0D 00"), Hex(CLEAR));
  EXPECT_EQ(Run("0D 03 0000 0000 0000"), Hex(CLEAR));
  EXPECT_EQ(t_->src.Pos(), 8u);
}

TEST_F(SceneTest, OneCharacterStandsInTheMiddle) {
  EXPECT_EQ(Run("0D 01 0001"), Hex("0B 30 0B 22 01 40 11 10" + Sprite("AOI1A01", X120)));
}

TEST_F(SceneTest, EmptyPositionsKeepTheirPlaceInTheLayout) {
  EXPECT_EQ(Run("0D 02 0000 0009"), Hex("0B 30 0B 22 01 40 11 10" + Sprite("AOI1B01", X260)));
  EXPECT_EQ(Run("0D 02 0009 001E"),
            Hex("0B 30 0B 22 02 40 11 10" + Sprite("AOI1B01", XM20) + Sprite("AOI2A01", X260)));
  EXPECT_EQ(Run("0D 03 0000 001E 003C"),
            Hex("0B 30 0B 22 02 40 11 10" + Sprite("AOI2A01", X120) + Sprite("AOI3A01", X290)));
  EXPECT_EQ(Run("0D 03 0001 0000 0000"), Hex("0B 30 0B 22 01 40 11 10" + Sprite("AOI1A01", XM50)));
}

TEST_F(SceneTest, UnnamedSpriteNumbersShowSlotOne) {
  EXPECT_EQ(Run("0D 03 0004 0400 FFFF"), Hex("0B 30 0B 22 03 40 11 10" + Sprite("AOI1A01", XM50) +
                                             Sprite("AOI1A01", X120) + Sprite("AOI1A01", X290)));
}

TEST_F(SceneTest, MoreThanThreePositionsAreReportedAndShowNothing) {
  EXPECT_EQ(Run("0D 04 0001 0000 0002 0003 0E"), Hex(CLEAR));  // only the 0E that follows
  EXPECT_EQ(diag_.Text(), "***** Too Many Chars (3)\n");
  diag_.Clear();
  EXPECT_EQ(Run("0D 04 0000 0000 0000 0000"), Hex(CLEAR));
  EXPECT_EQ(diag_.Text(), "");
}

TEST(SpriteNameTable, RowsBeyondTheSlotsAreIgnoredLongNamesCutAndALaterRowReplacesTheWholeName) {
  constexpr std::array<scene::SpriteNameRow, 4> rows = {
      {{5, "LONGNAME9"}, {1024, "GONE"}, {7, "ABCDEFG"}, {7, "XY"}}};
  constexpr scene::SpriteNameTable table(rows);
  EXPECT_EQ(table.Name(5), "LONGNAM");
  EXPECT_EQ(table.Name(7), "XY");
  EXPECT_EQ(table.Name(0), "");
  EXPECT_EQ(table.Name(1023), "");
  EXPECT_EQ(table.Name(1024), "");
  EXPECT_EQ(table.Name(UINT32_MAX), "");
}
