// The table of target forms against the emitters: every scenario of the
// sample and bench games, and the translator's edge cases, decode whole by
// the table, with an instruction wherever a handler began to emit and every
// patched slot read as a jump to its label's translation; the edge cases use
// every row. The source forms are held to the translation loop the same way.
#include "scenario/target_forms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "driver/dispatch_table.h"
#include "sample/sample_scenarios.h"
#include "scenario/output.h"
#include "scenario/scenario_set.h"
#include "scenario/scenario_translator.h"
#include "scenario/sio_builder.h"
#include "scenario/source_forms.h"

namespace {

namespace target = scenario::target;
using scenario_test::Sio;
namespace op = scenario::op;

using FormsSeen = std::set<const target::Form*>;

// Translates `source` with the converter's table and checks its decode;
// returns the number of instructions and adds the forms met to `seen`.
size_t ExpectDecodesAsEmitted(const std::vector<uint8_t>& source, const std::string& name,
                              FormsSeen* seen = nullptr) {
  SCOPED_TRACE(name);
  base::CollectedDiagnostics diag;
  const scenario::ScenarioSet scenarios;
  scenario::ScenarioTranslator translator(driver::TranslatorDispatchTable(), scenarios, diag);
  translator.Translate(source, name);
  const scenario::Translator& t = translator.State();
  constexpr int32_t kHeader = scenario::Output::kHeaderSize;
  const std::span<const uint8_t> code(t.out.Data() + kHeader, static_cast<size_t>(t.out.Len() - kHeader));

  const std::vector<target::Instruction> all = target::DecodeAll(code);
  std::map<uint32_t, int32_t> jumps;  // slot offset -> target
  std::vector<bool> starts(code.size() + 1, false);
  starts[code.size()] = true;
  for (const target::Instruction& in : all) {
    EXPECT_NE(in.form, nullptr) << "no form matches at 0x" << std::hex << in.offset << ", opcode " << std::dec
                                << int{code[in.offset]} << ": " << target::Describe(in.error);
    if (!in.form) continue;
    if (seen) seen->insert(in.form);
    starts[in.offset] = true;
    for (const target::Operand& o : in.operands) {
      if (o.kind == target::OperandKind::kJump) jumps[o.offset] = o.value;
    }
  }
  for (const scenario::AddressEntry& e : t.addressMap) {
    EXPECT_TRUE(starts[static_cast<size_t>(e.output - kHeader)])
        << "the opcode at source 0x" << std::hex << e.source << " began to emit at code offset 0x"
        << e.output - kHeader << ", inside an instruction";
  }
  for (const scenario::JumpFixup& f : t.jumpFixups) {
    if (f.slot + 4 > t.out.Len()) continue;  // never emitted
    const auto entry = std::find_if(t.addressMap.begin(), t.addressMap.end(),
                                    [&](const scenario::AddressEntry& e) { return e.source == f.label; });
    const int32_t expected = entry == t.addressMap.end() ? 0 : entry->output - kHeader;
    const auto slot = static_cast<uint32_t>(f.slot - kHeader);
    EXPECT_TRUE(jumps.contains(slot)) << "the slot at 0x" << std::hex << slot << " is not read as a jump";
    EXPECT_EQ(jumps[slot], expected) << "slot at 0x" << std::hex << slot;
  }
  EXPECT_TRUE(target::CheckCode(code).empty());

  // The source forms split the source where the translation loop does.
  std::vector<uint32_t> sourceStarts, mapStarts;
  for (const scenario::source::Instruction& in : scenario::source::DecodeSource(source))
    sourceStarts.push_back(in.offset);
  for (const scenario::AddressEntry& e : t.addressMap) mapStarts.push_back(e.source);
  EXPECT_EQ(sourceStarts, mapStarts);
  return all.size();
}

TEST(TargetForms, TheSampleGameDecodesAsEmitted) {
  for (const tools::ScenarioFile& s : tools::SampleScenarios()) ExpectDecodesAsEmitted(s.bytes, s.name);
}

TEST(TargetForms, TheBenchGameDecodesAsEmitted) {
  tools::BenchCast cast;
  cast.backgrounds = {"BG001.MOE", "EV004.MOE", "BG002.moe"};
  cast.sprites = {1, 30, 60, 100, 422, 900};
  size_t instructions = 0;
  for (const tools::ScenarioFile& s : tools::BenchScenarios(120, cast, 0x5EED))
    instructions += ExpectDecodesAsEmitted(s.bytes, s.name);
  EXPECT_GT(instructions, 100000u);
}

// Shift-JIS pieces of messages.
constexpr std::string_view kNameOpen = "\x81\x79", kNameClose = "\x81\x7A", kQuoteOpen = "\x81\x75",
                           kQuoteClose = "\x81\x76", kSpace = "\x81\x40", kA = "\x82\xA0";

std::string Cat(std::initializer_list<std::string_view> parts) {
  std::string s;
  for (std::string_view p : parts) s += p;
  return s;
}

TEST(TargetForms, TheTranslatorsEdgeCasesDecodeAsEmitted) {
  const std::vector<std::pair<std::string, Sio>> cases = {
      {"empty", Sio()},
      {"bytes without a handler", Sio().Raw("00 02 03 FE")},
      {"jumps to the start, the end, an operand and a skipped byte", Sio()
                                                                         .Op(op::kJump)
                                                                         .Label(0)
                                                                         .Op(op::kJump)
                                                                         .Label(1)
                                                                         .Op(op::kJump)
                                                                         .Label("skip")
                                                                         .Mark("skip")
                                                                         .Op(0x05)
                                                                         .Op(op::kJump)
                                                                         .Label(100)
                                                                         .Op(op::kJump)
                                                                         .Label("end")
                                                                         .Marker()
                                                                         .Mark("end")},
      {"conditional jumps", Sio()
                                .Mark("top")
                                .Op(op::kJumpIfEqual)
                                .Word(5)
                                .Const(1)
                                .Label("top")
                                .Op(op::kListEnd)
                                .Op(op::kJumpUnlessRelation70)
                                .Word(600)
                                .Var(512)
                                .Label("top")
                                .Label("end")
                                .Op(0)
                                .Op(op::kJumpUnlessRelation69)
                                .Word(1)
                                .Var(100)
                                .Label("end")
                                .Op(op::kListEnd)
                                .Mark("end")},
      {"every relation in both forms",
       [] {
         Sio s;
         s.Mark("top");
         for (uint8_t jump :
              {op::kJumpIfEqual, op::kJumpIfNotEqual, op::kJumpUnlessRelation70, op::kJumpUnlessRelation71,
               op::kJumpUnlessRelation68, op::kJumpUnlessRelation69}) {
           s.Op(jump).Word(2).Const(3).Label("top").Op(op::kListEnd);
           s.Op(jump).Word(2).Var(3).Label("top").Op(op::kListEnd);
         }
         return s;
       }()},
      {"multi-way jumps", Sio()
                              .Mark("a")
                              .Op(op::kMultiWayJump)
                              .Word(7)
                              .Label("a")
                              .Const(1)
                              .Label("b")
                              .Var(2)
                              .Label("a")
                              .Const(4095)
                              .Op(op::kListEnd)
                              .Mark("b")
                              .Op(op::kMultiWayJump)
                              .Word(7)
                              .Op(op::kListEnd)},
      {"choice menus",
       [] {
         Sio s;
         s.Op(op::kChoiceMenu).Op(op::kListEnd).Op(op::kChoiceMenu).Label("x").Str("").Label("x").Str(kA);
         s.Op(op::kListEnd).Mark("x").Op(op::kChoiceMenu);
         for (int i = 0; i < 17; ++i) s.Label("x").Str("opt");
         return s.Op(op::kListEnd);
       }()},
      {"fixed scenarios and references", Sio()
                                             .Op(op::kFixedScenario994)
                                             .Word(3)
                                             .Op(op::kFixedScenario995)
                                             .Word(5)
                                             .Op(op::kFixedScenario995)
                                             .Word(6)
                                             .Op(op::kFixedScenario996)
                                             .Word(1)
                                             .Word(2)
                                             .Word(3)
                                             .Word(4)
                                             .Word(5)
                                             .Word(6)
                                             .Word(65535)
                                             .Op(op::kScenarioByName)
                                             .Str("NONE.SIO")
                                             .Op(op::kAddToVariable)
                                             .Word(600)
                                             .Const(300)
                                             .Op(op::kSubtractFromVariable)
                                             .Word(1)
                                             .Var(700)
                                             .Op(op::kSetVariable)
                                             .Word(65535)
                                             .Const(65535)
                                             .Op(op::kAddToVariable)
                                             .Word(1)
                                             .Var(2)
                                             .Op(op::kSubtractFromVariable)
                                             .Word(1)
                                             .Const(2)},
      {"skipped operands", Sio()
                               .Op(op::kIgnoredString)
                               .Str("x")
                               .Op(op::kIgnoredWord)
                               .Word(1)
                               .Op(op::kIgnoredByteAndWord)
                               .Op(1)
                               .Word(2)
                               .Op(op::kIgnoredTwoWords)
                               .Word(1)
                               .Word(2)},
      {"messages", Sio()
                       .Op(op::kMessage)
                       .Str(Cat({kNameOpen, kA, kNameClose}))
                       .Op(op::kMessage)
                       .Str(Cat({kQuoteOpen, kA, kQuoteClose}))
                       .Op(op::kMessage)
                       .Str(Cat({kQuoteOpen, kA, kQuoteClose}))
                       .Op(op::kMessage)
                       .Str(Cat({kNameOpen, kA, kNameClose}))
                       .Op(op::kMusicStop)
                       .Op(op::kMessage)
                       .Str(Cat({kQuoteOpen, kA, kQuoteClose}))
                       .Op(op::kMusicStop)
                       .Op(op::kMessage)
                       .Str(Cat({kQuoteOpen, kA, kQuoteClose, kQuoteOpen, kA}))
                       .Op(op::kMessage)
                       .Str(Cat({kA, kQuoteClose}))
                       .Op(op::kMessage)
                       .Str(Cat({kSpace, kSpace}))
                       .Op(op::kMessage)
                       .Str("")
                       .Op(op::kMessage)
                       .Str("\x81\x9C\x81\xA5")
                       .Op(op::kMessage)
                       .Str(Cat({"\x81\xA8", kA, "\x81\xA5"}))
                       .Op(op::kMessage)
                       .Str("abc")
                       .Op(op::kMessage)
                       .Str(Cat({kNameOpen, kA, kNameClose}))},
      {"characters", Sio()
                         .Op(op::kShowCharacters)
                         .Op(0)
                         .Op(op::kShowCharacters)
                         .Op(2)
                         .Word(0)
                         .Word(9)
                         .Op(op::kShowCharacters)
                         .Op(3)
                         .Word(1)
                         .Word(30)
                         .Word(2000)
                         .Op(op::kShowCharacters)
                         .Op(4)
                         .Word(1)
                         .Word(1)
                         .Word(1)
                         .Word(0)
                         .Op(op::kShowCharacters)
                         .Op(1)
                         .Word(0)
                         .Op(op::kClearCharacters)},
      {"backgrounds and sounds", Sio()
                                     .Op(op::kBackground)
                                     .Str("cg01.moe")
                                     .Op(op::kBackgroundAlt)
                                     .Str("")
                                     .Op(op::kBlackScreen)
                                     .Op(op::kMusic)
                                     .Word(65535)
                                     .Op(op::kMusicStop)
                                     .Op(op::kSoundEffect)
                                     .Str("se01.a.wav")},
      {"calendar", Sio()
                       .Op(op::kCalendarUpdate)
                       .Op(op::kSetDate)
                       .Word(12)
                       .Word(31)
                       .Op(op::kDateWithText)
                       .Str("")
                       .Op(op::kDateWithText)
                       .Str("abc")
                       .Op(op::kDateNoText)
                       .Op(op::kCalendarUpdate)},
      {"operands cut by the end of the source", Sio().Op(op::kJumpIfEqual).Word(5)},
      {"a string cut by the end of the source", Sio().Op(op::kMessage).Raw("82 A0 82")},
      {"sprites cut by the end of the source", Sio().Op(op::kShowCharacters).Op(5).Word(1)},
  };
  FormsSeen seen;
  for (const auto& [name, sio] : cases) ExpectDecodesAsEmitted(sio.Bytes(), name, &seen);
  for (const target::Form& form : target::Forms())
    EXPECT_TRUE(seen.contains(&form)) << "no edge case emits " << form.mnemonic;
}

// The decoder reads numbers as the emitters write them, negative ones and
// the flagged form included.
TEST(TargetForms, NumbersReadBackAsWritten) {
  for (int32_t v : {0, 1, 15, 16, 4095, 4096, 65535, 1048576, 268435456, 2147483647, -1, -20, -50}) {
    base::CollectedDiagnostics diag;
    scenario::Output out(diag);
    out.Reset();
    out.OutByte(64);
    out.OutNum(v);
    out.OutNumFlagged(v);
    const std::span<const uint8_t> code(out.Data() + 99, static_cast<size_t>(out.Len() - 99));
    target::Instruction in;
    ASSERT_TRUE(target::DecodeAt(code, 0, in)) << v;
    EXPECT_EQ(in.size, code.size());
    ASSERT_EQ(in.operands.size(), 2u);
    EXPECT_EQ(in.operands[0].value, v);
    EXPECT_EQ(in.operands[1].value, v);
  }
}

// Whatever the bytes, the decoder stays inside them and says why it stops.
TEST(TargetForms, DecodingStopsAtTheEndOfTheCode) {
  target::Instruction in;
  const std::vector<uint8_t> cut = test_support::Hex("15 28 3B 15 11 29 00 00");
  for (size_t n = 0; n < cut.size(); ++n) {
    EXPECT_FALSE(target::DecodeAt(std::span(cut).first(n), 0, in)) << n;
    EXPECT_EQ(in.error, target::DecodeError::kPastEnd) << n;
  }
  EXPECT_FALSE(target::DecodeAt(cut, cut.size() + 5, in));
  EXPECT_FALSE(target::DecodeAt(test_support::Hex("FF 41 42"), 0, in));
  EXPECT_EQ(in.error, target::DecodeError::kUnterminatedString);
  EXPECT_FALSE(target::DecodeAt(test_support::Hex("0B 05 40 11 60"), 0, in));  // a number of six bytes
  EXPECT_EQ(in.error, target::DecodeError::kMismatch);
  EXPECT_FALSE(target::DecodeAt(test_support::Hex("0B 07"), 0, in));
  EXPECT_EQ(in.error, target::DecodeError::kUnknownOpcode);
  // A count asks for more slots than there are bytes.
  EXPECT_FALSE(target::DecodeAt(test_support::Hex("23 1E FF 10 00 00 00 00"), 0, in));
  EXPECT_EQ(in.error, target::DecodeError::kPastEnd);
}

}  // namespace
