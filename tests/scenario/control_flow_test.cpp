#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/sio_builder.h"
#include "support/test_support.h"

namespace {

using scenario_test::CodeOf;
using scenario_test::Sio;
using scenario_test::Translate;
using test_support::ConsoleText;
using test_support::Hex;

TEST(VariableOperations, ConstantAndVariableValuesPickTheirFormAndVariablesAreRemapped) {
  EXPECT_EQ(CodeOf(Sio().Raw("09 0258 00012C")), Hex("3C 2044 2C12"));
  EXPECT_EQ(CodeOf(Sio().Raw("09 0258 0102BC")), Hex("4A 2044 244A"));
  EXPECT_EQ(CodeOf(Sio().Op(0x0A).Word(5).Const(1).Op(0x0A).Word(511).Var(100)),
            Hex("3D 15 11 4B 2F1F 2406"));
  EXPECT_EQ(CodeOf(Sio().Op(0x0B).Word(512).Const(0).Op(0x0B).Word(5).Var(512)),
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
  sio.Op(0x1A).Str("abc").Op(0x1C).Word(0x0B00).Op(0x1D).Op(0x0B).Word(0).Op(0x20).Word(1).Word(2);
  sio.Op(0x04).Str(std::string(300, 'A')).Marker();
  auto t = Translate(sio.Bytes());
  EXPECT_EQ(scenario_test::Code(*t), Hex("16 01 10 3B 11 12"));  // no scenario list: number 0
  EXPECT_EQ(t->addressMap.size(), 6u);
}

TEST(ConditionalJump, TerminatorFormFallsThroughToTheNextInstruction) {
  Sio sio;
  sio.Op(0xC0).Word(5).Const(1).Label("then").Op(0xFF).Marker().Mark("then").Marker();
  EXPECT_EQ(CodeOf(sio), Hex("15 28 3B 15 11 29 0F000000 1C 12000000 3B 11 12 3B 11 12"));
}

TEST(ConditionalJump, TwoLabelFormSkipsItsLastByte) {
  Sio sio;
  sio.Mark("else").Marker().Op(0xC1).Word(5).Var(512).Label("then").Label("else").Op(0x0B);
  sio.Mark("then").Marker();
  EXPECT_EQ(CodeOf(sio), Hex("3B 11 12 15 28 48 15 283E 29 00000000 1C 13000000 3B 11 12"));
}

TEST(ConditionalJump, EachOpcodeHasItsComparisonInBothForms) {
  const int constantForm[] = {59, 58, 70, 71, 68, 69};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(CodeOf(Sio().Op(0xC0 + i).Word(1).Const(1).Label(0).Op(0xFF))[2], constantForm[i]);
    EXPECT_EQ(CodeOf(Sio().Op(0xC0 + i).Word(1).Var(1).Label(0).Op(0xFF))[2], constantForm[i] + 14);
  }
}

TEST(ConditionalJump, CutShortItReadsZerosAndTakesTheTwoLabelForm) {
  ConsoleText console;
  auto t = Translate(Sio().Marker().Op(0xC0).Word(5).Const(1).Label(6).Bytes());
  EXPECT_EQ(scenario_test::Code(*t), Hex("3B 11 12 15 28 3B 15 11 29 00000000 1C 03000000"));
  EXPECT_EQ(t->jumpFixups.at(0).label, 0u);
  EXPECT_EQ(console.Text(), "");
}

TEST(MultiWayJump, OneComparisonPerGroupUntilTheTerminator) {
  Sio sio;
  sio.Op(0xD0).Word(600).Label("a").Const(1).Label("b").Var(512).Label("a").Const(3).Op(0xFF);
  sio.Mark("a").Marker().Mark("b").Marker();
  EXPECT_EQ(CodeOf(sio), Hex("15 28 3A 2044 11 29 22000000 15 28 48 2044 283E 29 25000000"
                             "15 28 3A 2044 13 29 22000000 3B 11 12 3B 11 12"));
  EXPECT_EQ(CodeOf(Sio().Op(0xD0).Word(1).Op(0xFF).Marker()), Hex("3B 11 12"));
}

TEST(MultiWayJump, ListEndsWithTheSourceAndAGroupRunningPastItReadsZeros) {
  EXPECT_EQ(CodeOf(Sio().Op(0xD0).Word(1).Label(0).Op(0)), Hex("15 28 3A 11 10 29 00000000"));
  EXPECT_EQ(CodeOf(Sio().Op(0xD0).Word(1)), Hex(""));
}

TEST(ChoiceMenu, TextsFirstThenOneSlotPerOption) {
  Sio sio;
  sio.Op(0xE0).Label("a").Str("AB").Label("b").Str("").Op(0xFF).Mark("a").Marker().Mark("b").Marker();
  EXPECT_EQ(CodeOf(sio), Hex("58 01 273E 22 00 FF 414200 00 FF 00 00 23 1E 02 273E 1B000000 1E000000"
                             "3B 11 12 3B 11 12"));
  EXPECT_EQ(CodeOf(Sio().Raw("E0 FF")), Hex("58 01 273E 22 00 23 1E 00 273E"));
  EXPECT_EQ(CodeOf(Sio().Raw("E0")), Hex("58 01 273E 22 00 23 1E 00 273E"));
  // An option whose text is cut off by the end of the source has empty text.
  EXPECT_EQ(CodeOf(Sio().Raw("E0 0005")), Hex("58 01 273E 22 00 FF 00 00 23 1E 01 273E 00000000"));
}

TEST(ChoiceMenu, OptionsBeyondSixteenAreConsumedWithoutOutputAndOneWarning) {
  ConsoleText console;
  Sio sio;
  sio.Op(0xE0);
  for (int i = 0; i < 18; ++i) sio.Label(0).Str(i < 16 ? "" : "LOST");
  std::vector<uint8_t> code = CodeOf(sio.Op(0xFF).Marker());
  std::vector<uint8_t> expected = Hex("58 01 273E 22 00");
  for (int i = 0; i < 16; ++i) expected.insert(expected.end(), {0xFF, 0, 0});
  expected.insert(expected.end(), {0x23, 0x1E, 0x10, 0x27, 0x3E});
  expected.resize(expected.size() + 16 * 4, 0);
  expected.insert(expected.end(), {0x3B, 0x11, 0x12});
  EXPECT_EQ(code, expected);
  EXPECT_EQ(console.Text(),
            "Warning : choice menu at 0x0000 has more than 16 options, only the first 16 kept: \n");
}

TEST(OperandsPastTheEnd, ReadAsZero) {
  EXPECT_EQ(CodeOf(Sio().Raw("27 0001")),
            Hex("3B 2A32 11 3B 2B32 10 3B 2C32 10 3B 2D32 10 3B 2E32 10 3B 2F32 10 3B 2033 10 16 02 243E"));
  EXPECT_EQ(CodeOf(Sio().Raw("01")), Hex("1C 00000000"));
  EXPECT_EQ(CodeOf(Sio().Raw("04 41 42")), Hex("16 01 10"));
}

}  // namespace
