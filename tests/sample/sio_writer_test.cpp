#include "sample/sio_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "support/test_support.h"

namespace {

using test_support::Hex;
using tools::Condition;
using tools::Label;
using tools::SioWriter;
using tools::Value;

using test_support::Bytes;

TEST(SioWriter, VariableOperationsWriteBigEndianWordsAnd24BitValues) {
  SioWriter w;
  w.AddVar(600, Value::Const(300));
  w.AddVar(600, Value::Var(700));
  w.SubVar(1, Value::Raw(0x800200));
  w.SetVar(0xFFFF, Value::Const(0xFFFF));
  EXPECT_EQ(w.Finish(), Hex("09 0258 00012C  09 0258 0102BC  0A 0001 800200  0B FFFF 00FFFF"));
}

TEST(SioWriter, OpcodesWithWordOperandsMatchTheirLayouts) {
  SioWriter w;
  w.Call994(3);
  w.SetDate(12, 31);
  w.ShowCharacters({0, 30, 60});
  w.Call996({1, 2, 3, 4, 5, 6, 0x0102});
  w.Ignored1D(7, 0x0203);
  w.Ignored20(1, 2);
  w.Music(7);
  EXPECT_EQ(w.Finish(),
            Hex("07 0003  23 000C 001F  0D 03 0000 001E 003C  27 0001 0002 0003 0004 0005 0006 0102"
                "1D 07 0203  20 0001 0002  11 0007"));
}

TEST(SioWriter, StringOperandsEndInAZeroAndRefuseAZeroInside) {
  SioWriter w;
  w.Background("cg01.moe");
  w.SoundEffect("se01.a.wav");
  w.Message(tools::Sjis("【葵】"));
  w.DateNoText();
  EXPECT_EQ(w.Finish(),
            Hex("0F 6367 3031 2E6D 6F65 00  13 7365 3031 2E61 2E77 6176 00  F0 8179 88A8 817A 00  29"));
  EXPECT_THROW(w.Message(std::string_view("a\0b", 3)), std::logic_error);
}

TEST(SioWriter, ConditionalJumpWithoutSecondLabelEndsInTheListByte) {
  SioWriter w;
  w.JumpIf(Condition::kEqual, 5, Value::Const(1), Label::At(0x0200));
  EXPECT_EQ(w.Finish(), Hex("C0 0005 000001 0200 FF"));
}

TEST(SioWriter, LabelsResolveForwardsBackwardsAndAtTheEnd) {
  SioWriter w;
  w.Mark("top");
  w.Jump("next");  // at 0
  w.Mark("next");
  w.JumpIf(Condition::kOrderC5, 1, Value::Var(2), "top", "end", 0x5A);    // at 3
  w.MultiJump(9, {{"top", Value::Const(1)}, {"next", Value::Var(512)}});  // at 14
  w.Choice({{"end", tools::Sjis("はい")}, {"top", ""}});                  // at 28
  w.Mark("end");                                                          // 40
  EXPECT_EQ(w.Finish(), Hex("01 0003"
                            "C5 0001 010002 0000 0028 5A"
                            "D0 0009 0000 000001 0003 010200 FF"
                            "E0 0028 82CD 82A2 00 0000 00 FF"));
}

TEST(SioWriter, FinishRefusesLabelsItCannotWrite) {
  SioWriter missing;
  missing.Jump("nowhere");
  EXPECT_THROW(missing.Finish(), std::logic_error);

  SioWriter twice;
  twice.Mark("a");
  EXPECT_THROW(twice.Mark("a"), std::logic_error);

  // A list label of 0xFF00 or more would read as the list's end.
  SioWriter list;
  list.Jump(Label::At(0xFF10));
  EXPECT_NO_THROW(list.Finish());
  list.MultiJump(1, {{Label::At(0xFF10), Value::Const(0)}});
  EXPECT_THROW(list.Finish(), std::logic_error);

  SioWriter far;
  far.Jump("far");
  for (int i = 0; i < 0x10000; ++i) far.ClearCharacters();
  far.Mark("far");
  EXPECT_THROW(far.Finish(), std::logic_error);
}

TEST(Sjis, ConvertsToCodePage932AndRefusesCharactersWithoutAForm) {
  EXPECT_EQ(Bytes(tools::Sjis("「」【】●▼→　")), Hex("8175 8176 8179 817A 819C 81A5 81A8 8140"));
  EXPECT_EQ(Bytes(tools::Sjis("月日")), Hex("8C8E 93FA"));
  EXPECT_THROW(tools::Sjis("\xF0\x9F\x8E\x86"), std::runtime_error);  // an emoji
}

}  // namespace
