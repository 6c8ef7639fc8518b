#include <gtest/gtest.h>

#include "scenario/sio_builder.h"
#include "scenario/tpc_format.h"
#include "scenario/translator.h"
#include "support/test_support.h"

namespace {

namespace op = scenario::op;
using scenario_test::CodeOf;
using scenario_test::Sio;
using scenario_test::TestTranslator;
using test_support::Hex;

std::vector<uint8_t> CodeLength(std::span<const uint8_t> target) {
  const auto at = target.begin() + scenario::tpc::kCodeLengthOffset;
  return std::vector<uint8_t>(at, at + 4);
}

TEST(TranslationLoop, BytesWithoutHandlerAreSkippedOneByOneAndEachIsMapped) {
  TestTranslator t;
  std::span<const uint8_t> target = t.Translate(Hex("00 02 FF 2A 30"));
  EXPECT_EQ(target.size(), 99u);
  EXPECT_EQ(CodeLength(target), Hex("00000000"));
  ASSERT_EQ(t.State().addressMap.size(), 5u);
  EXPECT_EQ(t.State().addressMap[4].source, 4u);
  EXPECT_EQ(t.State().addressMap[4].output, 99);
}

TEST(TranslationLoop, JumpsResolveToCodeOffsetsAndOnlyLabelsInsideTheSourceAreReported) {
  Sio sio;
  sio.Marker()  // 0: 3B 11 12
      .Mark("back")
      .Op(op::kJump)
      .Label("fwd")  // 6: forwards, to a byte without a handler
      .Op(op::kJump)
      .Label("back")  // 9: backwards
      .Op(op::kJump)
      .Label(0)  // 12: the first instruction
      .Op(op::kJump)
      .Label(16)  // 15: its own operand
      .Op(op::kJump)
      .Label(25)  // 18: the end of the source
      .Mark("fwd")
      .Op(0x00)  // 21
      .Op(op::kJump)
      .Label(0x0100);  // 22: behind the end
  TestTranslator t;
  std::span<const uint8_t> target = t.Translate(sio.Bytes());
  EXPECT_EQ(t.Code(),
            Hex("3B 11 12 1C 1C000000 1C 03000000 1C 00000000 1C 00000000 1C 00000000 1C 00000000"));
  EXPECT_EQ(CodeLength(target), Hex("21000000"));
  EXPECT_EQ(t.diag.Text(), "******************* Jump point (0x0010) not found!!!!!\n");
}

TEST(TranslationLoop, EveryJumpIsResolvedHoweverMany) {
  Sio sio;
  sio.Marker();
  for (int i = 0; i < 1000; ++i) sio.Op(op::kJump).Label(6);
  std::vector<uint8_t> code = CodeOf(sio);
  ASSERT_EQ(code.size(), 3u + 5 * 1000);
  for (size_t slot = 4; slot < code.size(); slot += 5) ASSERT_EQ(code[slot], 3) << slot;
}

TEST(TranslationLoop, OverflowKeepsWhatFitsAndStillLooksUpTheJump) {
  Sio sio;
  for (int i = 0; i < 5100; ++i) sio.Op(op::kFixedScenario994).Word(3);  // 13 bytes each
  sio.Op(op::kJump).Label(1);
  TestTranslator t;
  std::span<const uint8_t> target = t.Translate(sio.Bytes());
  EXPECT_EQ(target.size(), 65536u);
  EXPECT_EQ(CodeLength(target), Hex("9DFF0000"));
  const std::string tail =
      "Error : OutBuffer overflow @ OutByte\n"
      "Error : OutBuffer overflow @ OutInt\n"
      "******************* Jump point (0x0001) not found!!!!!\n";
  EXPECT_TRUE(t.diag.Text().ends_with(tail));
}

TEST(TranslationLoop, EachScenarioStartsAfreshAndReadsNothingOfTheLastOne) {
  TestTranslator t;
  t.Translate(Sio().Op(op::kAddToVariable).Word(1).Var(600).Op(op::kJump).Label(2).Bytes());
  t.diag.Clear();
  std::span<const uint8_t> target = t.Translate(Hex("09 00"));
  EXPECT_EQ(t.Code(), Hex("3C 10 10"));  // operands past the end read 0
  EXPECT_EQ(CodeLength(target), Hex("03000000"));
  EXPECT_EQ(t.State().addressMap.size(), 1u);
  EXPECT_TRUE(t.State().jumpFixups.empty());
  EXPECT_EQ(t.diag.Text(), "");
}

TEST(TranslationLoop, ASourceBeyondTheLimitIsCutThereAndAnEmptyOneGivesTheBareHeader) {
  TestTranslator t;
  std::vector<uint8_t> source(scenario::ScenarioTranslator::kMaxSourceSize, 0x00);
  source.push_back(op::kJump);  // one byte too many: never read
  source.insert(source.end(), {0x00, 0x00});
  t.Translate(source);
  EXPECT_TRUE(t.Code().empty());
  EXPECT_EQ(t.State().addressMap.size(), scenario::ScenarioTranslator::kMaxSourceSize);

  EXPECT_EQ(t.Translate({}).size(), 99u);
  EXPECT_TRUE(t.State().addressMap.empty());
}

TEST(DispatchTable, AddEntersEveryHandlerOfAListAndRefusesASecondForOneOpcode) {
  scenario::DispatchTable table;
  table.Add(scenario::kControlFlowHandlers);
  size_t filled = 0;
  for (scenario::Handler h : table.handlers) filled += h != nullptr;
  EXPECT_EQ(filled, scenario::kControlFlowHandlers.size());
  EXPECT_EQ(table.handlers[op::kChoiceMenu], &scenario::ChoiceMenu);
  EXPECT_EQ(table.handlers[op::kMessage], nullptr);  // a scene opcode
  const std::array<scenario::OpcodeHandler, 1> again = {{{op::kJump, scenario::SkipWord}}};
  EXPECT_ANY_THROW(table.Add(again));
}

}  // namespace
