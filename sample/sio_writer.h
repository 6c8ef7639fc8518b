#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scenario/source_opcodes.h"

// A small assembler for the game's ".SIO" scenarios: one method per opcode
// (scenario/source_opcodes.h) with typed operands, labels as named marks resolved by Finish(). Word and
// value operands are written big-endian; strings are written as given
// (Shift-JIS bytes) with their terminating zero.
namespace tools {

// The Shift-JIS (code page 932) bytes of UTF-8 `text`; throws
// std::runtime_error when a character has no Shift-JIS form.
std::string Sjis(std::string_view utf8);

// A 24-bit value operand: a constant (first byte zero) or a variable (first
// byte non-zero, number in the low 16 bits).
struct Value {
  static Value Const(uint16_t c) { return {c}; }
  static Value Var(uint16_t v) { return {0x10000u | v}; }
  // Any 24-bit operand, for variables whose first byte is not 1.
  static Value Raw(uint32_t raw) { return {raw & 0xFFFFFF}; }
  uint32_t raw;
};

// A jump destination: a named mark, or a fixed source position.
class Label {
 public:
  // Implicit, so that a mark's name can stand wherever a label is expected.
  Label(const char* name) : name_(name) {}
  Label(std::string name) : name_(std::move(name)) {}
  static Label At(uint16_t position) {
    Label l("");
    l.position_ = position;
    return l;
  }
  const std::string& Name() const { return name_; }
  int Position() const { return position_; }

 private:
  std::string name_;
  int position_ = -1;
};

// Relations of the conditional jumps, by their opcodes. kEqual jumps on
// equality and kNotEqual on inequality; the four orderings are the game's.
enum class Condition : uint8_t {
  kEqual = scenario::op::kJumpIfEqual,
  kNotEqual = scenario::op::kJumpIfNotEqual,
  kOrderC2 = scenario::op::kJumpUnlessRelation70,
  kOrderC3 = scenario::op::kJumpUnlessRelation71,
  kOrderC4 = scenario::op::kJumpUnlessRelation68,
  kOrderC5 = scenario::op::kJumpUnlessRelation69,
};

class SioWriter {
 public:
  // Defines `name` at the current position (the next opcode written).
  // Throws std::logic_error when the name is already defined.
  void Mark(const std::string& name);
  size_t Position() const { return bytes_.size(); }

  void Jump(const Label& to);
  void GoToScenario(std::string_view fileName);
  void Call994(uint16_t a);
  void AddVar(uint16_t var, Value x);
  void SubVar(uint16_t var, Value x);
  void SetVar(uint16_t var, Value x);
  void ShowCharacters(const std::vector<uint16_t>& sprites);
  void ClearCharacters();
  void Background(std::string_view name);
  void BlackScreen();
  void Music(uint16_t number);
  void MusicStop();
  void SoundEffect(std::string_view name);
  void Call995(uint16_t a);
  void Ignored1A(std::string_view text);
  void BackgroundAlt(std::string_view name);  // shown as Background
  void Ignored1C(uint16_t a);
  void Ignored1D(uint8_t a, uint16_t b);
  void Ignored20(uint16_t a, uint16_t b);
  void CalendarUpdate();
  void SetDate(uint16_t month, uint16_t day);
  void Call996(const std::array<uint16_t, 7>& words);
  void DateWithText(std::string_view text);
  void DateNoText();
  // The conditional jump of `c`, jumping to `then` when the relation holds, else going on
  // with the next instruction (the list byte 0xFF form).
  void JumpIf(Condition c, uint16_t var, Value x, const Label& then);
  // The two-label form: `otherwise` instead of the next instruction, then one
  // further byte that the game does not examine.
  void JumpIf(Condition c, uint16_t var, Value x, const Label& then, const Label& otherwise,
              uint8_t spare = 0);
  // The multi-way jump: the first case whose value equals the variable jumps.
  void MultiJump(uint16_t var, const std::vector<std::pair<Label, Value>>& cases);
  // The choice menu: options shown to the player, each with its destination.
  void Choice(const std::vector<std::pair<Label, std::string>>& options);
  void Message(std::string_view text);

  // Raw bytes, for opcodes without a method and damaged input in tests.
  void Bytes(std::initializer_list<uint8_t> bytes) { bytes_.insert(bytes_.end(), bytes); }

  // The finished scenario with every label resolved. Throws
  // std::logic_error for a label without a mark, a mark beyond 65,535, or a
  // label in a list whose high byte would read as the list terminator.
  std::vector<uint8_t> Finish() const;

 private:
  struct Use {
    size_t at;
    Label label;
    bool inList;
  };
  void Op(uint8_t op) { bytes_.push_back(op); }
  void Word(uint16_t v);
  void Val(Value x);
  void Str(std::string_view s);
  void LabelOperand(const Label& l, bool inList);

  std::vector<uint8_t> bytes_;
  std::map<std::string, size_t> marks_;
  std::vector<Use> uses_;
};

}  // namespace tools
