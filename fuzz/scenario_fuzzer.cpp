// Arbitrary bytes as a source scenario, translated with the converter's
// dispatch table and a scenario list of real names, so references by file
// name find real numbers. Besides the sanitizers' checks, the result is held
// to the rules of the target file: an intact header with the right code
// length, an address map in source order, every jump slot holding its
// label's code offset (or 0 when the label starts no instruction), a message
// state within its values, and the same bytes and lines from a translator
// that translated other scenarios before.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "base/diagnostics.h"
#include "driver/dispatch_table.h"
#include "scenario/scenario_set.h"
#include "scenario/scenario_translator.h"
#include "scene/scene_state.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

const std::string kName = "FUZZ.SIO";

void CheckResult(const scenario::Translator& t, std::span<const uint8_t> target,
                 std::span<const uint8_t> header) {
  const int32_t len = t.out.Len();
  const uint8_t* out = t.out.Data();
  Require(target.data() == out && target.size() == size_t(len));
  Require(len >= scenario::Output::kHeaderSize && len <= int32_t(scenario::Output::kCapacity));
  Require(std::equal(header.begin(), header.begin() + scenario::Output::kCodeLengthOffset, out));
  Require(base::GetU32(out + scenario::Output::kCodeLengthOffset) ==
          uint32_t(len - scenario::Output::kHeaderSize));

  // One entry per opcode read, in source order, pointing into the output.
  const std::vector<scenario::AddressEntry>& map = t.addressMap;
  Require(map.empty() == (t.src.Len() == 0));
  for (size_t i = 0; i < map.size(); ++i) {
    Require(map[i].source < t.src.Len());
    Require(map[i].output >= scenario::Output::kHeaderSize && map[i].output <= len);
    if (i > 0) Require(map[i].source > map[i - 1].source && map[i].output >= map[i - 1].output);
  }

  for (const scenario::JumpFixup& fixup : t.jumpFixups) {
    if (fixup.slot < scenario::Output::kHeaderSize || fixup.slot > len - 4) continue;  // never emitted
    auto it = std::lower_bound(map.begin(), map.end(), fixup.label,
                               [](const scenario::AddressEntry& e, uint32_t l) { return e.source < l; });
    const bool found = it != map.end() && it->source == fixup.label;
    const uint32_t expected = found ? uint32_t(it->output - scenario::Output::kHeaderSize) : 0;
    Require(base::GetU32(out + fixup.slot) == expected);
  }

  Require(t.scene != nullptr);
  const scene::MessageState& m = t.scene->message;
  Require(m.pendingEnd == scene::MessageState::kNoPendingEnd ||
          (m.pendingEnd >= scenario::Output::kHeaderSize && m.pendingEnd <= len));
  Require(!(m.nameHeldBack && m.pendingEnd != scene::MessageState::kNoPendingEnd));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Everything is made afresh for each input: nothing lives from one call to
  // the next.
  base::CollectedDiagnostics listLines;
  scenario::ScenarioSet scenarios;
  for (const char* name : {"a.sio", "PROLOGUE.SIO", "Seen0002.sio", "\x82\xA0\x82\xA2.SIO",
                           "A_NAME_OF_MORE_THAN_THIRTY_TWO_BYTES.SIO"}) {
    scenarios.AddFoundName(name, listLines);
  }
  Require(scenarios.Count() == 5 && listLines.Text().empty());

  const scenario::DispatchTable& table = driver::TranslatorDispatchTable();
  base::CollectedDiagnostics usedLines, otherLines;
  scenario::ScenarioTranslator used(table, scenarios, usedLines);
  scenario::ScenarioTranslator other(table, scenarios, otherLines);
  const std::span<const uint8_t> input(data, size);

  // The header as it stands before the code length is patched.
  const std::span<const uint8_t> bare = other.Translate({}, kName);
  Require(bare.size() == size_t(scenario::Output::kHeaderSize));
  const std::vector<uint8_t> header(bare.begin(), bare.end());

  const std::span<const uint8_t> target = used.Translate(input, kName);
  CheckResult(used.State(), target, header);

  // The same bytes after a different scenario give the same file and lines.
  std::vector<uint8_t> flipped(data, data + size);
  for (uint8_t& b : flipped) b = static_cast<uint8_t>(~b);
  other.Translate(flipped, kName);
  otherLines.Clear();
  const std::span<const uint8_t> again = other.Translate(input, kName);
  Require(otherLines.Text() == usedLines.Text());
  Require(std::equal(target.begin(), target.end(), again.begin(), again.end()));
  return 0;
}
