// Whole scenarios through the converter's dispatch table (driver/): both
// handler lists and the scene state's hooks together.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "driver/dispatch_table.h"
#include "scenario/control_flow.h"
#include "scenario/sio_builder.h"
#include "scenario/source_opcodes.h"
#include "scene/handlers.h"
#include "support/test_support.h"

namespace {

namespace op = scenario::op;
using scenario_test::Sio;
using scenario_test::TestTranslator;
using test_support::Hex;

const std::string NAME = "\x81\x79\x82\xA0\x81\x7A";   // 【あ】
const std::string QUOTE = "\x81\x75\x82\xA2\x81\x76";  // 「い」

TEST(ConverterTable, HandlesExactlyTheKnownOpcodesEachFromItsList) {
  const scenario::DispatchTable& table = driver::TranslatorDispatchTable();
  std::set<uint8_t> handled;
  for (size_t b = 0; b < table.handlers.size(); ++b) {
    if (table.handlers[b]) handled.insert(static_cast<uint8_t>(b));
  }
  EXPECT_EQ(handled, std::set<uint8_t>(op::kKnownOpcodes.begin(), op::kKnownOpcodes.end()));
  EXPECT_EQ(handled.size(), scenario::kControlFlowHandlers.size() + scene::kSceneHandlers.size());
  for (const scenario::OpcodeHandler& e : scene::kSceneHandlers)
    EXPECT_EQ(table.handlers[e.opcode], e.handler);
  for (const scenario::OpcodeHandler& e : scenario::kControlFlowHandlers) {
    EXPECT_EQ(table.handlers[e.opcode], e.handler);
  }
  EXPECT_NE(table.makeSceneState, nullptr);
  EXPECT_NE(table.startScenario, nullptr);
}

TEST(ConverterTable, EachScenarioStartsWithAFreshMessageState) {
  TestTranslator t(driver::TranslatorDispatchTable());
  // A name at the end of the scenario is held back for a quote...
  t.Translate(Sio().Op(op::kMessage).Str(NAME).Bytes());
  EXPECT_TRUE(t.Code().empty());
  // ... that never comes: the next scenario's quote stands alone.
  t.Translate(Sio().Op(op::kMessage).Str(QUOTE).Op(op::kMessage).Str(QUOTE).Bytes());
  EXPECT_EQ(t.Code(), Hex("FF 8175 82A2 8176 00 03 02 01 FF 8175 82A2 8176 00 01"));

  // And a quote that ended the last scenario leaves no pending ending.
  t.Translate(Sio().Op(op::kMusicStop).Op(op::kMessage).Str(QUOTE).Bytes());
  EXPECT_EQ(t.Code(), Hex("0E 10 2406 FF 8175 82A2 8176 00 01"));
  EXPECT_EQ(t.diag.Text(), "");
}

TEST(ConverterTable, LinesOfEveryHandlerArriveInTheOrderTheyArise) {
  TestTranslator t(driver::TranslatorDispatchTable());
  Sio sio;
  sio.Op(op::kJump).Label(1);  // into its own operand: reported once the loop is done
  sio.Op(op::kShowCharacters).Op(4).Word(1).Word(2).Word(0).Word(0);
  sio.Op(op::kChoiceMenu);
  for (int i = 0; i < 17; ++i) sio.Label(0).Str("");
  sio.Op(op::kListEnd);
  t.Translate(sio.Bytes(), "EV01.SIO");
  EXPECT_EQ(t.diag.Text(),
            "***** Too Many Chars (2)\n"
            "Warning : choice menu at 0x000d has more than 16 options, only the first 16 kept: EV01.SIO\n"
            "******************* Jump point (0x0001) not found!!!!!\n");
}

}  // namespace
