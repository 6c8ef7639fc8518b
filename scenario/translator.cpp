#include "scenario/translator.h"

#include <algorithm>

namespace scenario {

void Translator::OutJump(uint32_t label) {
  // The fixup is recorded even when the slot does not fit, so the label is
  // still looked up; PatchSlot never writes a slot that was not emitted.
  jumpFixups.push_back({label, out.Len()});
  out.OutInt(0);
}

void Translator::OutPictureName(std::string_view name, PictureUse use) {
  const int32_t at = out.Len();
  out.OutStr(name);
  // An overflowing name leaves at most its zero behind: the scenario shows
  // nothing there.
  if (out.Len() - at == static_cast<int32_t>(name.size()) + 1)
    pictures.push_back({std::string(name), static_cast<uint32_t>(at - Output::kHeaderSize), use});
}

void TranslateScenario(Translator& t, const DispatchTable& table) {
  t.out.Reset();
  t.src.SetPos(0);
  t.addressMap.clear();
  t.addressMap.reserve(t.src.Len());
  t.jumpFixups.clear();
  t.pictures.clear();
  if (table.startScenario) table.startScenario(t);

  while (!t.src.AtEnd()) {
    t.addressMap.push_back({t.src.Pos(), t.out.Len()});
    Handler handler = table.handlers[t.src.ReadU8()];
    if (handler) handler(t);
  }

  ResolveJumps(t);
  t.out.PatchCodeLength();
}

void ResolveJumps(Translator& t) {
  // The loop only moves forwards, so the map is sorted by source position
  // and holds each position at most once.
  const auto bySource = [](const AddressEntry& e, uint32_t label) { return e.source < label; };
  for (const JumpFixup& fixup : t.jumpFixups) {
    auto it = std::lower_bound(t.addressMap.begin(), t.addressMap.end(), fixup.label, bySource);
    if (it != t.addressMap.end() && it->source == fixup.label) {
      t.out.PatchSlot(fixup.slot, it->output);
    } else if (fixup.label < t.src.Len()) {
      t.diag.Line(base::Format("******************* Jump point (0x%04x) not found!!!!!\n", fixup.label));
    }
  }
}

}  // namespace scenario
