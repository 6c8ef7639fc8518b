#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/sio_builder.h"
#include "support/test_support.h"

namespace {

namespace op = scenario::op;
using scenario_test::CodeOf;
using scenario_test::Sio;
using scenario_test::TestTranslator;
using test_support::Hex;

TEST(VariableOperations, ConstantAndVariableValuesPickTheirFormAndVariablesAreRemapped) {
  EXPECT_EQ(CodeOf(Sio().Raw("09 0258 00012C")), Hex("3C 2044 2C12"));
  EXPECT_EQ(CodeOf(Sio().Raw("09 0258 0102BC")), Hex("4A 2044 244A"));
  EXPECT_EQ(CodeOf(Sio()
                       .Op(op::kSubtractFromVariable)
                       .Word(5)
                       .Const(1)
                       .Op(op::kSubtractFromVariable)
                       .Word(511)
                       .Var(100)),
            Hex("3D 15 11 4B 2F1F 2406"));
  EXPECT_EQ(CodeOf(Sio().Op(op::kSetVariable).Word(512).Const(0).Op(op::kSetVariable).Word(5).Var(512)),
            Hex("3B 283E 10 49 15 283E"));
}

TEST(FixedScenarios, Opcodes7And20And39ReferToScenarios994To996) {
  EXPECT_EQ(CodeOf(Sio().Raw("07 0003")), Hex("3B 10 13 73 1D 11 16 02 223E 73 1D 10"));
  EXPECT_EQ(CodeOf(Sio().Raw("14 0004")), Hex("3B 10 14 73 1D 11 16 01 233E 73 1D 10"));
  EXPECT_EQ(CodeOf(Sio().Raw("14 0005")), Hex("3B 2F7C 11 3B 10 15 73 1D 11 16 01 233E 73 1D 10"));
  EXPECT_EQ(CodeOf(Sio().Raw("27 0001 0002 0003 0004 0005 0006 0258")),
            Hex("3B 2A32 11 3B 2B32 12 3B 2C32 13 3B 2D32 14 3B 2E32 15 3B 2F32 16 3B 2033 2825 16 02 243E"));
}

TEST(OperandsConsumed, SkippedOpcodesAndScenarioNamesOfAnyLengthLeaveNoStray) {
  Sio sio;
  sio.Op(op::kIgnoredString).Str("abc").Op(op::kIgnoredWord).Word(0x0B00);
  sio.Op(op::kIgnoredByteAndWord).Op(op::kSetVariable).Word(0).Op(op::kIgnoredTwoWords).Word(1).Word(2);
  sio.Op(op::kScenarioByName).Str(std::string(300, 'A')).Marker();
  TestTranslator t;
  t.Translate(sio.Bytes());
  EXPECT_EQ(t.Code(), Hex("16 01 10 3B 11 12"));  // not in the (empty) scenario list: number 0
  EXPECT_EQ(t.State().addressMap.size(), 6u);
}

TEST(ConditionalJump, TerminatorFormFallsThroughToTheNextInstruction) {
  Sio sio;
  sio.Op(op::kJumpIfEqual).Word(5).Const(1).Label("then").Op(op::kListEnd).Marker().Mark("then").Marker();
  EXPECT_EQ(CodeOf(sio), Hex("15 28 3B 15 11 29 0F000000 1C 12000000 3B 11 12 3B 11 12"));
}

TEST(ConditionalJump, TwoLabelFormSkipsItsLastByte) {
  Sio sio;
  sio.Mark("else")
      .Marker()
      .Op(op::kJumpIfNotEqual)
      .Word(5)
      .Var(512)
      .Label("then")
      .Label("else")
      .Op(op::kSetVariable);
  sio.Mark("then").Marker();
  EXPECT_EQ(CodeOf(sio), Hex("3B 11 12 15 28 48 15 283E 29 00000000 1C 13000000 3B 11 12"));
}

TEST(ConditionalJump, EachOpcodeHasItsComparisonInBothForms) {
  const std::pair<uint8_t, int> constantForm[] = {
      {op::kJumpIfEqual, 59},          {op::kJumpIfNotEqual, 58},       {op::kJumpUnlessRelation70, 70},
      {op::kJumpUnlessRelation71, 71}, {op::kJumpUnlessRelation68, 68}, {op::kJumpUnlessRelation69, 69}};
  for (const auto& [opcode, relation] : constantForm) {
    EXPECT_EQ(CodeOf(Sio().Op(opcode).Word(1).Const(1).Label(0).Op(op::kListEnd))[2], relation);
    EXPECT_EQ(CodeOf(Sio().Op(opcode).Word(1).Var(1).Label(0).Op(op::kListEnd))[2], relation + 14);
  }
}

TEST(ConditionalJump, CutShortItReadsZerosAndTakesTheTwoLabelForm) {
  TestTranslator t;
  t.Translate(Sio().Marker().Op(op::kJumpIfEqual).Word(5).Const(1).Label(6).Bytes());
  EXPECT_EQ(t.Code(), Hex("3B 11 12 15 28 3B 15 11 29 00000000 1C 03000000"));
  EXPECT_EQ(t.State().jumpFixups.at(0).label, 0u);
  EXPECT_EQ(t.diag.Text(), "");
}

TEST(MultiWayJump, OneComparisonPerGroupUntilTheTerminator) {
  Sio sio;
  sio.Op(op::kMultiWayJump).Word(600).Label("a").Const(1).Label("b").Var(512).Label("a").Const(3);
  sio.Op(op::kListEnd);
  sio.Mark("a").Marker().Mark("b").Marker();
  EXPECT_EQ(CodeOf(sio), Hex("15 28 3A 2044 11 29 22000000 15 28 48 2044 283E 29 25000000"
                             "15 28 3A 2044 13 29 22000000 3B 11 12 3B 11 12"));
  EXPECT_EQ(CodeOf(Sio().Op(op::kMultiWayJump).Word(1).Op(op::kListEnd).Marker()), Hex("3B 11 12"));
}

TEST(MultiWayJump, ListEndsWithTheSourceAndAGroupRunningPastItReadsZeros) {
  EXPECT_EQ(CodeOf(Sio().Op(op::kMultiWayJump).Word(1).Label(0).Op(0)), Hex("15 28 3A 11 10 29 00000000"));
  EXPECT_EQ(CodeOf(Sio().Op(op::kMultiWayJump).Word(1)), Hex(""));
}

TEST(ChoiceMenu, TextsFirstThenOneSlotPerOption) {
  Sio sio;
  sio.Op(op::kChoiceMenu).Label("a").Str("AB").Label("b").Str("").Op(op::kListEnd);
  sio.Mark("a").Marker().Mark("b").Marker();
  EXPECT_EQ(CodeOf(sio), Hex("58 01 273E 22 00 FF 414200 00 FF 00 00 23 1E 02 273E 1B000000 1E000000"
                             "3B 11 12 3B 11 12"));
  EXPECT_EQ(CodeOf(Sio().Raw("E0 FF")), Hex("58 01 273E 22 00 23 1E 00 273E"));
  EXPECT_EQ(CodeOf(Sio().Raw("E0")), Hex("58 01 273E 22 00 23 1E 00 273E"));
  // An option whose text is cut off by the end of the source has empty text.
  EXPECT_EQ(CodeOf(Sio().Raw("E0 0005")), Hex("58 01 273E 22 00 FF 00 00 23 1E 01 273E 00000000"));
}

TEST(ChoiceMenu, OptionsBeyondSixteenAreConsumedWithoutOutputAndOneWarning) {
  TestTranslator t;
  Sio sio;
  sio.Op(op::kChoiceMenu);
  for (int i = 0; i < 18; ++i) sio.Label(0).Str(i < 16 ? "" : "LOST");
  t.Translate(sio.Op(op::kListEnd).Marker().Bytes());
  std::vector<uint8_t> code = t.Code();
  std::vector<uint8_t> expected = Hex("58 01 273E 22 00");
  for (int i = 0; i < 16; ++i) expected.insert(expected.end(), {0xFF, 0, 0});
  expected.insert(expected.end(), {0x23, 0x1E, 0x10, 0x27, 0x3E});
  expected.resize(expected.size() + 16 * 4, 0);
  expected.insert(expected.end(), {0x3B, 0x11, 0x12});
  EXPECT_EQ(code, expected);
  EXPECT_EQ(t.diag.Text(),
            "Warning : choice menu at 0x0000 has more than 16 options, only the first 16 kept: \n");
  // The warning names the scenario it comes from.
  t.diag.Clear();
  t.Translate(sio.Bytes(), "S012.SIO");
  EXPECT_EQ(t.diag.Text(),
            "Warning : choice menu at 0x0000 has more than 16 options, only the first 16 kept: S012.SIO\n");
}

TEST(OperandsPastTheEnd, ReadAsZero) {
  EXPECT_EQ(CodeOf(Sio().Raw("27 0001")),
            Hex("3B 2A32 11 3B 2B32 10 3B 2C32 10 3B 2D32 10 3B 2E32 10 3B 2F32 10 3B 2033 10 16 02 243E"));
  EXPECT_EQ(CodeOf(Sio().Raw("01")), Hex("1C 00000000"));
  EXPECT_EQ(CodeOf(Sio().Raw("04 41 42")), Hex("16 01 10"));
}

}  // namespace
