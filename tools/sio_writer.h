#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A small assembler for the game's ".SIO" scenarios: one method per opcode
// with typed operands, labels as named marks resolved by Finish(). Word and
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

// Relations of the conditional jumps 0xC0 to 0xC5. 0xC0 jumps on equality
// and 0xC1 on inequality; the four orderings are the game's.
enum class Condition : uint8_t {
  kEqual = 0xC0,
  kNotEqual = 0xC1,
  kOrderC2 = 0xC2,
  kOrderC3 = 0xC3,
  kOrderC4 = 0xC4,
  kOrderC5 = 0xC5,
};

class SioWriter {
 public:
  // Defines `name` at the current position (the next opcode written).
  // Throws std::logic_error when the name is already defined.
  void Mark(const std::string& name);
  size_t Position() const { return bytes_.size(); }

  void Jump(const Label& to);                                 // 0x01
  void GoToScenario(std::string_view fileName);               // 0x04
  void Call994(uint16_t a);                                   // 0x07
  void AddVar(uint16_t var, Value x);                         // 0x09
  void SubVar(uint16_t var, Value x);                         // 0x0A
  void SetVar(uint16_t var, Value x);                         // 0x0B
  void ShowCharacters(const std::vector<uint16_t>& sprites);  // 0x0D
  void ClearCharacters();                                     // 0x0E
  void Background(std::string_view name);                     // 0x0F
  void BlackScreen();                                         // 0x10
  void Music(uint16_t number);                                // 0x11
  void MusicStop();                                           // 0x12
  void SoundEffect(std::string_view name);                    // 0x13
  void Call995(uint16_t a);                                   // 0x14
  void Ignored1A(std::string_view text);                      // 0x1A
  void BackgroundAlt(std::string_view name);                  // 0x1B, shown as 0x0F
  void Ignored1C(uint16_t a);                                 // 0x1C
  void Ignored1D(uint8_t a, uint16_t b);                      // 0x1D
  void Ignored20(uint16_t a, uint16_t b);                     // 0x20
  void CalendarUpdate();                                      // 0x22
  void SetDate(uint16_t month, uint16_t day);                 // 0x23
  void Call996(const std::array<uint16_t, 7>& words);         // 0x27
  void DateWithText(std::string_view text);                   // 0x28
  void DateNoText();                                          // 0x29
  // 0xC0 to 0xC5 jumping to `then` when the relation holds, else going on
  // with the next instruction (the list byte 0xFF form).
  void JumpIf(Condition c, uint16_t var, Value x, const Label& then);
  // The two-label form: `otherwise` instead of the next instruction, then one
  // further byte that the game does not examine.
  void JumpIf(Condition c, uint16_t var, Value x, const Label& then, const Label& otherwise,
              uint8_t spare = 0);
  // 0xD0: the first case whose value equals the variable jumps.
  void MultiJump(uint16_t var, const std::vector<std::pair<Label, Value>>& cases);
  // 0xE0: options shown to the player, each with its destination.
  void Choice(const std::vector<std::pair<Label, std::string>>& options);
  void Message(std::string_view text);  // 0xF0

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
