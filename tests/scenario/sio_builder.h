#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scenario/translator.h"
#include "support/test_support.h"

namespace scenario_test {

// A tiny assembler for source scenarios: operands in the source's big-endian
// forms, and named labels resolved when the bytes are taken.
//   Sio().Op(0x01).Label("end").Op(0x00).Mark("end").Op(0x00).Bytes()
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
  Sio& Marker() { return Op(0x0B).Word(1).Const(2); }

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

inline std::unique_ptr<scenario::Translator> Translate(const std::vector<uint8_t>& source) {
  auto t = std::make_unique<scenario::Translator>();
  t->src.Load(source.data(), source.size());
  scenario::TranslateScenario(*t);
  return t;
}

// The code behind the 99-byte header.
inline std::vector<uint8_t> Code(const scenario::Translator& t) {
  return std::vector<uint8_t>(t.out.Data() + scenario::Output::kHeaderSize, t.out.Data() + t.out.Len());
}

inline std::vector<uint8_t> CodeOf(const Sio& sio) { return Code(*Translate(sio.Bytes())); }

}  // namespace scenario_test
