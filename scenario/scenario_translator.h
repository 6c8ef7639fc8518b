#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "base/diagnostics.h"
#include "scenario/scenario_set.h"
#include "scenario/translator.h"

namespace scenario {

// Translates source scenarios one after another, on bytes: the owner of the
// translation state (the 64 KiB output buffer, on the heap), of the state the
// table's scene handlers keep, and of nothing else. Lines go to the
// diagnostics given at construction, in the order they arise.
class ScenarioTranslator {
 public:
  // The longest source a translation takes whole; the caller refuses longer
  // files (bytes beyond it would be ignored).
  static constexpr size_t kMaxSourceSize = Source::kCapacity;

  // `table`, `scenarios` and `diag` must outlive the translator.
  ScenarioTranslator(const DispatchTable& table, const ScenarioSet& scenarios, base::Diagnostics& diag);
  ScenarioTranslator(const ScenarioTranslator&) = delete;
  ScenarioTranslator& operator=(const ScenarioTranslator&) = delete;
  ~ScenarioTranslator();

  // Translates one source scenario (at most kMaxSourceSize bytes) named
  // `sourceName` (for warning lines) into a target scenario: the 99-byte
  // header and the code. The result stays valid until the next call; each
  // call starts afresh, whatever came before. `source` is read in place and
  // need not outlive the call.
  std::span<const uint8_t> Translate(std::span<const uint8_t> source, const std::string& sourceName);

  // The state of the last translation (address map, jump fixups), for
  // checks.
  const Translator& State() const { return *t_; }

 private:
  const DispatchTable& table_;
  std::unique_ptr<Translator> t_;
  SceneStatePtr scene_;
};

}  // namespace scenario
