#pragma once

#include <cstdint>
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
  std::vector<AddressEntry> addressMap;
  std::vector<JumpFixup> jumpFixups;
  scene::MessageState message;
  // The numbered scenario list, for references by file name (may be null:
  // every name then yields 0).
  const ScenarioSet* scenarios = nullptr;

  // Records a fixup for `label` and emits its 4-byte placeholder slot.
  void OutJump(uint32_t label);
};

using Handler = void (*)(Translator&);

}  // namespace scenario
