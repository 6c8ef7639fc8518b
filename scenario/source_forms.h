#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "scenario/source_opcodes.h"

// The operand layouts of the source opcodes (scenario/source_opcodes.h), as
// data, and a reader that splits a source scenario into instructions exactly
// as the translation loop walks it: bytes behind the end read as 0, a string
// ends at the end, a list ends at its terminator or at the end. avdtool
// lists source scenarios with it, so that the offset of a "Jump point"
// line can be looked up.
namespace scenario::source {

enum class OperandKind : uint8_t {
  kByte,
  kWord,
  kVariable,     // a word naming a variable
  kValue,        // 3 bytes: a constant below 0x10000, else a variable
  kLabel,        // a word holding a source position
  kString,       // bytes up to a zero
  kSprites,      // a count byte and that many words
  kSecondLabel,  // the list end (the label is the next instruction), or a
                 // label and one byte not examined
  kCases,        // (label, value) groups up to the list end
  kOptions,      // (label, string) groups up to the list end
};

struct Form {
  uint8_t opcode = 0;
  std::string_view mnemonic;
  uint8_t count = 0;
  std::array<OperandKind, 7> operands{};

  std::span<const OperandKind> Operands() const { return {operands.data(), count}; }
};

// The form of every opcode the translator has a handler for; null for a
// byte it skips.
const Form* FormOf(uint8_t opcode);

struct Operand {
  OperandKind kind = OperandKind::kByte;
  uint32_t offset = 0;
  uint32_t value = 0;     // the number, the label, the raw 24-bit value
  std::string_view text;  // a string, without its zero
};

struct Instruction {
  uint32_t offset = 0;
  uint32_t size = 0;           // may reach behind the end of the source
  const Form* form = nullptr;  // null: a byte the translator skips
  std::vector<Operand> operands;
};

// Splits `source` (the first `Source::kCapacity` bytes, as the translator
// takes them) into the instructions the translation loop reads.
std::vector<Instruction> DecodeSource(std::span<const uint8_t> source);

}  // namespace scenario::source
