#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/diagnostics.h"
#include "scenario/control_flow.h"
#include "scenario/scenario_set.h"
#include "scenario/scenario_translator.h"
#include "scenario/source_opcodes.h"
#include "scenario/translator.h"
#include "support/test_support.h"

namespace scenario_test {

namespace op = scenario::op;

// A tiny assembler for source scenarios: operands in the source's big-endian
// forms, and named labels resolved when the bytes are taken.
//   Sio().Op(op::kJump).Label("end").Op(0x00).Mark("end").Op(0x00).Bytes()
class Sio {
 public:
  Sio& Op(uint8_t b) {
    bytes_.push_back(b);
    return *this;
  }
  Sio& Word(uint16_t w) { return Op(static_cast<uint8_t>(w >> 8)).Op(static_cast<uint8_t>(w)); }
  Sio& Const(uint16_t c) { return Op(0).Word(c); }  // value operand, constant
  Sio& Var(uint16_t v) { return Op(1).Word(v); }    // value operand, variable
  Sio& Str(std::string_view s) {
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return Op(0);
  }
  Sio& Raw(std::string_view hex) {
    for (uint8_t b : test_support::Hex(hex)) Op(b);
    return *this;
  }
  Sio& Label(uint16_t pos) { return Word(pos); }
  Sio& Label(const std::string& mark) {
    uses_.emplace_back(bytes_.size(), mark);
    return Word(0);
  }
  Sio& Mark(const std::string& mark) {
    marks_[mark] = static_cast<uint16_t>(bytes_.size());
    return *this;
  }
  // 0B 0001 000002, translated as 3B 11 12: shows where it lands.
  Sio& Marker() { return Op(op::kSetVariable).Word(1).Const(2); }

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> out = bytes_;
    for (const auto& [at, mark] : uses_) {
      out[at] = static_cast<uint8_t>(marks_.at(mark) >> 8);
      out[at + 1] = static_cast<uint8_t>(marks_.at(mark));
    }
    return out;
  }

 private:
  std::vector<uint8_t> bytes_;
  std::vector<std::pair<size_t, std::string>> uses_;
  std::map<std::string, uint16_t> marks_;
};

// The control-flow handlers alone: what scenario/ translates without scene/.
inline constexpr scenario::DispatchTable kControlFlowTable = [] {
  scenario::DispatchTable table;
  table.Add(scenario::kControlFlowHandlers);
  return table;
}();

// A translator with its own scenario list (empty unless a test fills it)
// that keeps every line reported.
struct TestTranslator {
  explicit TestTranslator(const scenario::DispatchTable& table = kControlFlowTable)
      : translator(table, scenarios, diag) {}

  std::span<const uint8_t> Translate(const std::vector<uint8_t>& source, const std::string& name = "") {
    return translator.Translate(source, name);
  }
  const scenario::Translator& State() const { return translator.State(); }
  // The code of the last translation, behind the 99-byte header.
  std::vector<uint8_t> Code() const {
    const scenario::Output& out = State().out;
    return std::vector<uint8_t>(out.Data() + scenario::Output::kHeaderSize, out.Data() + out.Len());
  }

  scenario::ScenarioSet scenarios;
  base::CollectedDiagnostics diag;
  scenario::ScenarioTranslator translator;
};

inline std::vector<uint8_t> CodeOf(const Sio& sio) {
  TestTranslator t;
  t.Translate(sio.Bytes());
  return t.Code();
}

}  // namespace scenario_test
