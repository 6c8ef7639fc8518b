#pragma once

#include <cstdint>

// Every opcode and sub-code the translator writes into a target scenario,
// named once. The emitters write them by these names, and the forms table
// (scenario/target_forms.h) gives each its operands under the same names.
// What an instruction does belongs to the interpreter: a name says what the
// translator uses it for where it has a role of its own, and is the opcode
// and sub-code otherwise (as the forms' mnemonics are).
namespace scenario::target {

inline constexpr int16_t kNoSub = -1;

// An opcode and the sub-code byte behind it, or kNoSub for none.
struct Code {
  uint8_t opcode = 0;
  int16_t sub = kNoSub;

  constexpr bool HasSub() const { return sub != kNoSub; }
};

// Texts: kText and a zero-terminated string. A message ends in kMessageEnd,
// one that goes on in kMessageContinue and kMessageEnd; kQuoteContinued takes
// the place of a quote's kMessageEnd when the speaker goes on. A choice
// option's text ends in kOptionEnd.
inline constexpr Code kOptionEnd{0};
inline constexpr Code kMessageEnd{1};
inline constexpr Code kMessageContinue{2};
inline constexpr Code kQuoteContinued{3};
inline constexpr Code kText{255};

// Screen, music and sound. Every change of picture or characters begins with
// kOp11Sub48.
inline constexpr Code kOp11Sub5{11, 5};
inline constexpr Code kCharacters{11, 34};     // count, kOp11Byte, two numbers, the characters
inline constexpr uint8_t kCharacterEntry = 3;  // begins each character: name, six numbers
// The byte behind kCharacters' count, and one form of kOp11Sub5's first.
inline constexpr uint8_t kOp11Byte = 64;
inline constexpr Code kOp11Sub48{11, 48};
inline constexpr Code kMusic{14, 1};
inline constexpr Code kMusicStop{14, 16};
inline constexpr Code kSoundEffect{14, 48};
inline constexpr Code kOp104Sub1{104, 1};
// A string handed to the target under a number (pictures, date texts).
inline constexpr Code kOp89Sub1{89, 1};

// Control flow. A conditional jump: kIf, kIfOpen, a relation, the variable,
// the value, kIfClose and the slot to go to while the relation holds.
inline constexpr Code kIf{21};
inline constexpr uint8_t kIfOpen = 40;
inline constexpr uint8_t kIfClose = 41;
inline constexpr uint8_t kRelationEqual = 58;
inline constexpr uint8_t kRelationNotEqual = 59;
inline constexpr uint8_t kRelation68 = 68;
inline constexpr uint8_t kRelation69 = 69;
inline constexpr uint8_t kRelation70 = 70;
inline constexpr uint8_t kRelation71 = 71;
inline constexpr Code kScenario1{22, 1};
inline constexpr Code kScenario2{22, 2};
inline constexpr Code kGoto{28};             // a slot: jumps there
inline constexpr Code kOp34Sub0{34, 0};      // behind kChoice, ahead of the option texts
inline constexpr Code kChoiceJumps{35, 30};  // count, menu number, one slot per option
inline constexpr Code kChoice{88, 1};        // menu number
inline constexpr Code kOp115Sub29{115, 29};  // 1 before a fixed scenario's call, 0 behind

// Variables, in the form with a constant value; the form with a variable
// value (and every relation's) is kVariableFormDelta higher.
inline constexpr Code kSet{59};
inline constexpr Code kAdd{60};
inline constexpr Code kSubtract{61};
inline constexpr uint8_t kVariableFormDelta = 14;

// The calendar's.
inline constexpr Code kOp64{64};
inline constexpr Code kOp89Sub4{89, 4};
inline constexpr Code kOp89Sub6{89, 6};
inline constexpr Code kOp89Sub7{89, 7};
inline constexpr Code kOp91Sub1{91, 1};
inline constexpr Code kOp96Sub4{96, 4};
// kOp96Sub4's operands: these two bytes, a number and kOperandsEnd.
inline constexpr uint8_t kOp96Byte1 = 16;
inline constexpr uint8_t kOp96Byte2 = 3;
// Closes the operands of kOp91Sub1 and kOp96Sub4.
inline constexpr uint8_t kOperandsEnd = 0;

// The form of `code` (or of a relation) that takes a variable value.
constexpr Code VariableForm(Code code) {
  return {static_cast<uint8_t>(code.opcode + kVariableFormDelta), code.sub};
}
constexpr uint8_t VariableForm(uint8_t relation) {
  return static_cast<uint8_t>(relation + kVariableFormDelta);
}

}  // namespace scenario::target
