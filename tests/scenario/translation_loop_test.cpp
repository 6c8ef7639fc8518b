#include <gtest/gtest.h>

#include "scenario/sio_builder.h"
#include "scenario/translator.h"
#include "support/test_support.h"

namespace {

using scenario_test::Code;
using scenario_test::CodeOf;
using scenario_test::Sio;
using scenario_test::Translate;
using test_support::ConsoleText;
using test_support::Hex;

TEST(TranslationLoop, BytesWithoutHandlerAreSkippedOneByOneAndEachIsMapped) {
  auto t = Translate(Hex("00 02 FF 2A 30"));
  EXPECT_EQ(t->out.Len(), 99);
  EXPECT_EQ(std::vector<uint8_t>(t->out.Data() + 95, t->out.Data() + 99), Hex("00000000"));
  ASSERT_EQ(t->addressMap.size(), 5u);
  EXPECT_EQ(t->addressMap[4].source, 4u);
  EXPECT_EQ(t->addressMap[4].output, 99);
}

TEST(TranslationLoop, JumpsResolveToCodeOffsetsAndOnlyLabelsInsideTheSourceAreReported) {
  ConsoleText console;
  Sio sio;
  sio.Marker()  // 0: 3B 11 12
      .Mark("back")
      .Op(0x01)
      .Label("fwd")  // 6: forwards, to a byte without a handler
      .Op(0x01)
      .Label("back")  // 9: backwards
      .Op(0x01)
      .Label(0)  // 12: the first instruction
      .Op(0x01)
      .Label(16)  // 15: its own operand
      .Op(0x01)
      .Label(25)  // 18: the end of the source
      .Mark("fwd")
      .Op(0x00)  // 21
      .Op(0x01)
      .Label(0x0100);  // 22: behind the end
  auto t = Translate(sio.Bytes());
  EXPECT_EQ(Code(*t),
            Hex("3B 11 12 1C 1C000000 1C 03000000 1C 00000000 1C 00000000 1C 00000000 1C 00000000"));
  EXPECT_EQ(std::vector<uint8_t>(t->out.Data() + 95, t->out.Data() + 99), Hex("21000000"));
  EXPECT_EQ(console.Text(), "******************* Jump point (0x0010) not found!!!!!\n");
}

TEST(TranslationLoop, EveryJumpIsResolvedHoweverMany) {
  Sio sio;
  sio.Marker();
  for (int i = 0; i < 1000; ++i) sio.Op(0x01).Label(6);
  std::vector<uint8_t> code = CodeOf(sio);
  ASSERT_EQ(code.size(), 3u + 5 * 1000);
  for (size_t slot = 4; slot < code.size(); slot += 5) ASSERT_EQ(code[slot], 3) << slot;
}

TEST(TranslationLoop, OverflowKeepsWhatFitsAndStillLooksUpTheJump) {
  ConsoleText console;
  Sio sio;
  for (int i = 0; i < 5100; ++i) sio.Op(0x07).Word(3);  // 13 bytes each
  sio.Op(0x01).Label(1);
  auto t = Translate(sio.Bytes());
  EXPECT_EQ(t->out.Len(), 65536);
  EXPECT_EQ(std::vector<uint8_t>(t->out.Data() + 95, t->out.Data() + 99), Hex("9DFF0000"));
  const std::string tail =
      "Error : OutBuffer overflow @ OutByte\n"
      "Error : OutBuffer overflow @ OutInt\n"
      "******************* Jump point (0x0001) not found!!!!!\n";
  EXPECT_TRUE(console.Text().ends_with(tail));
}

TEST(TranslationLoop, EachScenarioStartsAfreshAndReadsNothingOfTheLastOne) {
  ConsoleText console;
  auto t = Translate(Sio().Op(0x09).Word(1).Var(600).Op(0x01).Label(2).Bytes());
  t->message.speakerName = "x";
  const std::vector<uint8_t> shorter = Hex("09 00");
  t->src.Load(shorter.data(), shorter.size());
  console.Clear();
  scenario::TranslateScenario(*t);
  EXPECT_EQ(Code(*t), Hex("3C 10 10"));  // operands past the end read 0
  EXPECT_EQ(t->addressMap.size(), 1u);
  EXPECT_TRUE(t->jumpFixups.empty());
  EXPECT_EQ(t->message.speakerName, "");
  EXPECT_EQ(console.Text(), "");
}

}  // namespace
