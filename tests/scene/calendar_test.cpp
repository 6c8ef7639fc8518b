#include "scene_test.h"

namespace {

const std::string DISPLAY =
    "59 01 17 8C 8E 00  59 01 18 93 FA 81 40 00  59 06 2C 12 15 1A  59 07 15  59 04 15 17"
    "59 06 2D 12 19 1A  59 07 19  59 04 19 18  59 04 15 19  60 04 10 03 15 00";

// Opcode 34's block around its slot (hex of 4 bytes).
std::string CalendarUpdate(const std::string& slot) {
  return "5B 01 2E 12 2F 01 2C 01 2F 01 2E 01 2F 01 2E 01 2F 01 2F 01 2E 01 2F 01 2E 01 2F 01 00"
         "49 10 2C 12  3C 10 2D 12  40 2D 12 90  15 28 3B 2D 12 10 29 " +
         slot + " 40 2C 12 9C  3C 2C 12 11  3C 2D 12 11" + DISPLAY;
}

}  // namespace

TEST_F(SceneTest, DateDisplayBlockIsFiftyBytes) {
  Load("");
  scene::EmitDateDisplay(*t_);
  EXPECT_EQ(Code(), Hex(DISPLAY));
  EXPECT_EQ(Code().size(), 50u);
}

TEST_F(SceneTest, CalendarUpdatePatchesItsOwnSlot) {
  EXPECT_EQ(Run("22"), Hex(CalendarUpdate("3C 00 00 00")));
  EXPECT_TRUE(t_->jumpFixups.empty());
  // Behind the 4 bytes of opcode 18 the slot moves on by 4.
  EXPECT_EQ(Run("12 22"), Hex("0E 10 24 06" + CalendarUpdate("40 00 00 00")));
}

TEST_F(SceneTest, SetDateEmitsTheNumbersUnchecked) {
  EXPECT_EQ(Run("23 000C 001F"), Hex("3B 2C 12 1C 3B 2D 12 2F 01" + DISPLAY));
  EXPECT_EQ(Run("23 00FF 0000"), Hex("3B 2C 12 2F 0F 3B 2D 12 10" + DISPLAY));
}

TEST_F(SceneTest, DateWithAndWithoutText) {
  EXPECT_EQ(Run("29"), Hex("59 01 16 00" + DISPLAY));
  EXPECT_EQ(Run("28 00"), Hex("59 01 16 00" + DISPLAY));
  EXPECT_EQ(Run("28 61 62 63 00"), Hex("59 01 16 61 62 63 00" + DISPLAY));
  // The text is not rewritten like a message: the arrow stays.
  EXPECT_EQ(Run("28 81 A8 00 29"), Hex("59 01 16 81 A8 00" + DISPLAY + "59 01 16 00" + DISPLAY));
}
