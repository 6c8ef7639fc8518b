#include "scenario/dispatch.h"

#include "scenario/control_flow.h"
#include "scene/handlers.h"

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

  // Text, characters, backgrounds, sound and the calendar.
  for (const scene::SceneHandler& entry : scene::kSceneHandlers) table[entry.opcode] = entry.handler;
  return table;
}

constexpr std::array<Handler, 256> kTable = MakeTable();

}  // namespace

const std::array<Handler, 256>& DispatchTable() { return kTable; }

}  // namespace scenario
