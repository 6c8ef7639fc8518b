#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "scenario/output.h"
#include "scenario/picture_references.h"
#include "scenario/source.h"

// The scene handlers keep their own state (scene/scene_state.h). The
// translator carries it for them without knowing its contents: scene/ builds
// on scenario/, never the reverse.
namespace scene {
struct SceneState;
}

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
// `src`, write through the emitters of `out` and report through `diag`.
struct Translator {
  explicit Translator(base::Diagnostics& diagnostics) : out(diagnostics), diag(diagnostics) {}

  Output out;
  Source src;
  // One entry per byte read as an opcode, in ascending source position.
  std::vector<AddressEntry> addressMap;
  // Every jump slot of the scenario, in order of recording; no fixed limit.
  std::vector<JumpFixup> jumpFixups;
  // Every picture name written into the scenario's code, in order; a name
  // the output could not take is not among them.
  std::vector<PictureReference> pictures;
  // The numbered scenario list, for references by file name (may be null:
  // every name then yields 0).
  const ScenarioSet* scenarios = nullptr;
  // The file name of the scenario being translated, for warning lines.
  std::string sourceName;
  base::Diagnostics& diag;
  // The scene handlers' state; set whenever the dispatch table holds them.
  scene::SceneState* scene = nullptr;

  // Records a fixup for `label` and emits its 4-byte placeholder slot.
  void OutJump(uint32_t label);
  // Emits the picture name `name` as a string (Output::OutStr) and records
  // it in `pictures` when its bytes were kept.
  void OutPictureName(std::string_view name, PictureUse use);
};

using Handler = void (*)(Translator&);

// One entry of a handler list: the source opcode and its handler.
struct OpcodeHandler {
  uint8_t opcode;
  Handler handler;
};

// State that handlers defined outside scenario/ keep for one translator,
// made and destroyed only by functions of the folder that defines it.
using SceneStatePtr = std::unique_ptr<scene::SceneState, void (*)(scene::SceneState*)>;

// What the translation loop runs: the handler of every source opcode,
// indexed by the opcode byte (null: the byte is skipped as a single byte),
// and the hooks for the scene handlers' state.
struct DispatchTable {
  std::array<Handler, 256> handlers{};
  // Makes the scene state, once per translator (null: the handlers keep
  // none).
  SceneStatePtr (*makeSceneState)() = nullptr;
  // Runs at the start of every scenario, before its first opcode (may be
  // null).
  Handler startScenario = nullptr;

  // Enters every handler of `list`. An opcode that already has one is a
  // fault of the lists; in a constant expression it fails the build.
  template <size_t N>
  constexpr void Add(const std::array<OpcodeHandler, N>& list) {
    for (const OpcodeHandler& entry : list) {
      if (handlers[entry.opcode] != nullptr) throw "two handlers for one opcode";
      handlers[entry.opcode] = entry.handler;
    }
  }
};

// The target variable number of source variable `v`: below 512 unchanged,
// otherwise 488 higher.
constexpr int32_t MapVar(uint32_t v) { return static_cast<int32_t>(v < 512 ? v : v + 488); }

// Translates the source loaded in `t.src` (its whole length) into `t.out`:
// resets the per-scenario state, runs every opcode through `table`, resolves
// the jump slots and patches the code length.
void TranslateScenario(Translator& t, const DispatchTable& table);

// Fills every recorded jump slot with the code offset of its label's
// translation. A label inside the source that starts no instruction is
// reported and its slot keeps 0; a label at or behind the end stays 0
// silently.
void ResolveJumps(Translator& t);

}  // namespace scenario
