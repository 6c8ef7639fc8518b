#include "scenario/dispatch.h"

#include "scenario/control_flow.h"

namespace scenario {
namespace {

constexpr std::array<Handler, 256> MakeTable() {
  std::array<Handler, 256> table{};
  table[0x01] = Jump;
  table[0x04] = ScenarioByName;
  table[0x07] = FixedScenario994;
  table[0x09] = VariableOp09;
  table[0x0A] = VariableOp0A;
  table[0x0B] = VariableOp0B;
  table[0x14] = FixedScenario995;
  table[0x1A] = SkipString;
  table[0x1C] = SkipWord;
  table[0x1D] = SkipByteAndWord;
  table[0x20] = SkipTwoWords;
  table[0x27] = FixedScenario996;
  table[0xC0] = ConditionalJumpC0;
  table[0xC1] = ConditionalJumpC1;
  table[0xC2] = ConditionalJumpC2;
  table[0xC3] = ConditionalJumpC3;
  table[0xC4] = ConditionalJumpC4;
  table[0xC5] = ConditionalJumpC5;
  table[0xD0] = MultiWayJump;
  table[0xE0] = ChoiceMenu;

  // TODO(scene handlers): the text, character, background, sound and
  // calendar handlers of scene/ go here; until they are wired in, these
  // opcodes are skipped as one byte like every opcode without a handler.
  //   0x0D (13)  byte n, n words     character display
  //   0x0E (14)  none                character display
  //   0x0F (15)  string              background
  //   0x10 (16)  none                screen
  //   0x11 (17)  word                music
  //   0x12 (18)  none                music
  //   0x13 (19)  string              sound effect
  //   0x1B (27)  string              as 0x0F
  //   0x22 (34)  none                calendar
  //   0x23 (35)  word, word          calendar
  //   0x28 (40)  string              calendar
  //   0x29 (41)  none                calendar
  //   0xF0 (240) string              text message
  return table;
}

constexpr std::array<Handler, 256> kTable = MakeTable();

}  // namespace

const std::array<Handler, 256>& DispatchTable() { return kTable; }

}  // namespace scenario
