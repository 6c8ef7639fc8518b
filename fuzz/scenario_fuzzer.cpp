// Arbitrary bytes as a source scenario, translated with the game's tables in
// place: the sprite names, and a scenario list read from a game folder made
// at start-up, so references by file name find real numbers. Besides the
// sanitizers' checks, the result is held to the rules of the target file:
// an intact header with the right code length, an address map in source
// order, every jump slot holding its label's code offset (or 0 when the
// label starts no instruction), a message state within its values, and the
// same bytes and lines from a translator that held other scenarios before.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "platform/console.h"
#include "scenario/scenario_set.h"
#include "scenario/translator.h"
#include "scene/sprite_names.h"
#include "support/test_support.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Fixture {
  scenario::ScenarioSet scenarios;
  // The header as it stands before the code length is patched.
  std::vector<uint8_t> header;
  // `used` translates every input in turn; `other` translates each input's
  // inverted bytes just before the input itself.
  std::unique_ptr<scenario::Translator> used = std::make_unique<scenario::Translator>();
  std::unique_ptr<scenario::Translator> other = std::make_unique<scenario::Translator>();

  Fixture() {
    scene::InitSpriteNameTable();
    test_support::TempDir game;
    for (const char* name : {"a.sio", "PROLOGUE.SIO", "Seen0002.sio", "\x82\xA0\x82\xA2.SIO",
                             "A_NAME_OF_MORE_THAN_THIRTY_TWO_BYTES.SIO"}) {
      game.Write(std::string("MES/") + name, std::string("\x12"));
    }
    scenarios.ListScenarios(game.Folder());
    Require(scenarios.Count() == 5);
    used->scenarios = &scenarios;
    other->scenarios = &scenarios;
    scenario::Output empty;
    empty.Reset();
    header.assign(empty.Data(), empty.Data() + scenario::Output::kHeaderSize);
  }
};

Fixture& TheFixture() {
  static Fixture fixture;
  return fixture;
}

std::string Translate(scenario::Translator& t, const uint8_t* data, size_t size) {
  std::string lines;
  console::Capture capture([&](std::string_view s) { lines.append(s); });
  t.src.Load(data, size);
  scenario::TranslateScenario(t);
  return lines;
}

void CheckResult(const scenario::Translator& t, const std::vector<uint8_t>& header) {
  const int32_t len = t.out.Len();
  const uint8_t* out = t.out.Data();
  Require(len >= scenario::Output::kHeaderSize && len <= int32_t(scenario::Output::kCapacity));
  Require(std::equal(header.begin(), header.begin() + scenario::Output::kCodeLengthOffset, out));
  Require(archive::GetU32(out + scenario::Output::kCodeLengthOffset) ==
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
    Require(archive::GetU32(out + fixup.slot) == expected);
  }

  const scene::MessageState& m = t.message;
  Require(m.resumeFlag == 0 || m.resumeFlag == 1);
  Require(m.quoteOpen == 0 || m.quoteOpen == 1);
  Require(m.pendingEnd == 0 || m.pendingEnd == -2 ||
          (m.pendingEnd >= scenario::Output::kHeaderSize && m.pendingEnd <= len));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Fixture& f = TheFixture();
  // `used` still holds the previous input's scenario.
  const std::string lines = Translate(*f.used, data, size);
  CheckResult(*f.used, f.header);

  // The same bytes after a different scenario give the same file and lines.
  std::vector<uint8_t> flipped(data, data + size);
  for (uint8_t& b : flipped) b = static_cast<uint8_t>(~b);
  Translate(*f.other, flipped.data(), flipped.size());
  const std::string otherLines = Translate(*f.other, data, size);
  Require(otherLines == lines);
  Require(f.other->out.Len() == f.used->out.Len());
  Require(std::equal(f.used->out.Data(), f.used->out.Data() + f.used->out.Len(), f.other->out.Data()));
  return 0;
}
