#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scenario/output.h"
#include "scenario/source.h"
#include "scene/message_state.h"

namespace scenario {

class ScenarioSet;

// Where the translation of one source instruction begins in the output.
struct AddressEntry {
  uint32_t source;  // position of the opcode byte in the source
  int32_t output;   // output position at which its translation begins
};

// A 4-byte jump slot waiting for the code offset of a source label.
struct JumpFixup {
  uint32_t label;
  int32_t slot;
};

// Everything one scenario's translation works on. The handlers, one per
// source opcode, take it as their only argument: they read operands from
// `src` and write through the emitters of `out`.
struct Translator {
  Output out;
  Source src;
  // One entry per byte read as an opcode, in ascending source position.
  std::vector<AddressEntry> addressMap;
  // Every jump slot of the scenario, in order of recording; no fixed limit.
  std::vector<JumpFixup> jumpFixups;
  scene::MessageState message;
  // The numbered scenario list, for references by file name (may be null:
  // every name then yields 0).
  const ScenarioSet* scenarios = nullptr;
  // The file name of the scenario being translated, for warning lines.
  std::string sourceName;

  // Records a fixup for `label` and emits its 4-byte placeholder slot.
  void OutJump(uint32_t label);
};

using Handler = void (*)(Translator&);

// The target variable number of source variable `v`: below 512 unchanged,
// otherwise 488 higher.
constexpr int32_t MapVar(uint32_t v) { return static_cast<int32_t>(v < 512 ? v : v + 488); }

// Translates the source loaded in `t.src` (its whole length) into `t.out`:
// resets the per-scenario state, runs every opcode through the dispatch
// table, resolves the jump slots and patches the code length.
void TranslateScenario(Translator& t);

// Fills every recorded jump slot with the code offset of its label's
// translation. A label inside the source that starts no instruction is
// reported and its slot keeps 0; a label at or behind the end stays 0
// silently.
void ResolveJumps(Translator& t);

}  // namespace scenario
