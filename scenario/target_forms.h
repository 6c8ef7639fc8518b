#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/translations.h"
#include "scenario/target_opcodes.h"

// The instructions the translator writes into a target scenario, as data:
// one row per form (target opcode, sub-code, operand kinds; the codes are
// named in scenario/target_opcodes.h), and a decoder
// that reads code bytes by these rows and never looks outside them. avdtool
// lists and checks scenarios with it; a test holds the rows to the emitters.
namespace scenario::target {

enum class OperandKind : uint8_t {
  kByte,        // one byte, a number
  kCount,       // one byte: how often the group behind it repeats
  kNum,         // the variable-length number of Output::OutNum
  kFlaggedNum,  // the same with the 0x80 flag (Output::OutNumFlagged)
  kInt,         // 4 bytes little-endian
  kJump,        // a 4-byte slot holding a code offset
  kString,      // bytes up to and including a zero
  kFixed,       // the byte `value`, always the same
  kGroup,       // the `value` operands behind it, repeated as often as the
                // last kCount says
};

struct OperandRule {
  OperandKind kind = OperandKind::kByte;
  uint8_t value = 0;
};

inline constexpr size_t kMostOperands = 16;

struct Form {
  uint8_t opcode = 0;
  int16_t sub = kNoSub;  // the byte behind the opcode, or kNoSub
  std::string_view mnemonic;
  uint8_t count = 0;
  std::array<OperandRule, kMostOperands> operands{};

  std::span<const OperandRule> Operands() const { return {operands.data(), count}; }
};

// Every form, in ascending order of opcode; where several share an opcode
// and sub-code, the decoder takes the first whose operands all fit.
std::span<const Form> Forms();

// One decoded operand (fixed bytes included).
struct Operand {
  OperandKind kind = OperandKind::kByte;
  uint32_t offset = 0;  // code offset of its first byte
  uint32_t size = 0;
  int32_t value = 0;      // the number, the jump's target code offset, the byte
  std::string_view text;  // a string without its zero
};

// Why no form matches at a position; Describe says it in the language of
// `texts`.
enum class DecodeError : uint8_t {
  kNone,
  kUnknownOpcode,       // no form has this opcode (and sub-code)
  kMismatch,            // a fixed byte or a number's length nibble differs
  kPastEnd,             // an operand runs past the end of the code
  kUnterminatedString,  // a string has no zero before the end of the code
};

std::string_view Describe(DecodeError error, const base::Translations& texts = base::Translations());

struct Instruction {
  uint32_t offset = 0;
  uint32_t size = 0;           // 1 for a byte no form matches
  const Form* form = nullptr;  // null: the byte at `offset` starts no instruction
  DecodeError error = DecodeError::kNone;
  std::vector<Operand> operands;
};

// Decodes the instruction at `offset` of `code`; false (with `out.error`)
// when no form matches there. `offset` may be anything.
bool DecodeAt(std::span<const uint8_t> code, size_t offset, Instruction& out);

// Decodes `code` from offset 0 to its end: an instruction wherever one
// matches, otherwise a one-byte entry without a form, and on from the next
// byte.
std::vector<Instruction> DecodeAll(std::span<const uint8_t> code);

// A fault of decoded code: where and what.
struct CodeProblem {
  uint32_t offset = 0;
  std::string what;
};

// What keeps `code` from being code the translator writes: runs of bytes
// that start no instruction (with the reason of the first), strings without
// their zero, and jumps that land neither on an instruction's first byte
// nor exactly at the end of the code.
std::vector<CodeProblem> CheckCode(std::span<const uint8_t> code,
                                   const base::Translations& texts = base::Translations());

}  // namespace scenario::target
