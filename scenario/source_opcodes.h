#pragma once

#include <array>
#include <cstdint>

// The source opcodes the translator knows, by what they do. The handler
// lists (scenario/control_flow.h, scene/handlers.h), the scenario assemblers
// of the tools and the tests all take their numbers from here. Operands are
// big-endian: a word is 2 bytes, a value operand 3 (a constant below
// 0x10000, else a variable in its low 16 bits), a label a word holding a
// source position, a string zero-terminated.
namespace scenario::op {

inline constexpr uint8_t kJump = 0x01;                  // label
inline constexpr uint8_t kScenarioByName = 0x04;        // string: a scenario's file name
inline constexpr uint8_t kFixedScenario994 = 0x07;      // word
inline constexpr uint8_t kAddToVariable = 0x09;         // variable, value
inline constexpr uint8_t kSubtractFromVariable = 0x0A;  // variable, value
inline constexpr uint8_t kSetVariable = 0x0B;           // variable, value
inline constexpr uint8_t kShowCharacters = 0x0D;        // count byte, that many sprite words
inline constexpr uint8_t kClearCharacters = 0x0E;
inline constexpr uint8_t kBackground = 0x0F;  // string: picture name
inline constexpr uint8_t kBlackScreen = 0x10;
inline constexpr uint8_t kMusic = 0x11;  // word: music number
inline constexpr uint8_t kMusicStop = 0x12;
inline constexpr uint8_t kSoundEffect = 0x13;         // string: sound name
inline constexpr uint8_t kFixedScenario995 = 0x14;    // word
inline constexpr uint8_t kIgnoredString = 0x1A;       // string, no output
inline constexpr uint8_t kBackgroundAlt = 0x1B;       // string: as kBackground
inline constexpr uint8_t kIgnoredWord = 0x1C;         // word, no output
inline constexpr uint8_t kIgnoredByteAndWord = 0x1D;  // byte, word, no output
inline constexpr uint8_t kIgnoredTwoWords = 0x20;     // word, word, no output
inline constexpr uint8_t kCalendarUpdate = 0x22;
inline constexpr uint8_t kSetDate = 0x23;           // month word, day word
inline constexpr uint8_t kFixedScenario996 = 0x27;  // seven words
inline constexpr uint8_t kDateWithText = 0x28;      // string
inline constexpr uint8_t kDateNoText = 0x29;

// Conditional jumps: variable, value, label, then kListEnd or a second label
// and one byte. Each is translated as "unless the target relation holds, go
// to the label": 0xC0 emits the target's not-equal (59) and so jumps on
// equality, 0xC1 emits equal (58). 0xC2 to 0xC5 emit the target's ordering
// relations 70, 71, 68 and 69; which ordering each of those is belongs to the
// interpreter, so they are named by the relation they emit.
inline constexpr uint8_t kJumpIfEqual = 0xC0;
inline constexpr uint8_t kJumpIfNotEqual = 0xC1;
inline constexpr uint8_t kJumpUnlessRelation70 = 0xC2;
inline constexpr uint8_t kJumpUnlessRelation71 = 0xC3;
inline constexpr uint8_t kJumpUnlessRelation68 = 0xC4;
inline constexpr uint8_t kJumpUnlessRelation69 = 0xC5;

inline constexpr uint8_t kMultiWayJump = 0xD0;  // variable, (label, value) groups, kListEnd
inline constexpr uint8_t kChoiceMenu = 0xE0;    // (label, option text) groups, kListEnd
inline constexpr uint8_t kMessage = 0xF0;       // string: one message of text

// Not an opcode: ends the group lists of kMultiWayJump and kChoiceMenu, and
// stands for the second label of a conditional jump that goes on with the
// next instruction.
inline constexpr uint8_t kListEnd = 0xFF;

// Every opcode above, ascending. Any other byte read as an opcode is skipped
// as a single byte.
inline constexpr std::array<uint8_t, 33> kKnownOpcodes = {
    kJump,
    kScenarioByName,
    kFixedScenario994,
    kAddToVariable,
    kSubtractFromVariable,
    kSetVariable,
    kShowCharacters,
    kClearCharacters,
    kBackground,
    kBlackScreen,
    kMusic,
    kMusicStop,
    kSoundEffect,
    kFixedScenario995,
    kIgnoredString,
    kBackgroundAlt,
    kIgnoredWord,
    kIgnoredByteAndWord,
    kIgnoredTwoWords,
    kCalendarUpdate,
    kSetDate,
    kFixedScenario996,
    kDateWithText,
    kDateNoText,
    kJumpIfEqual,
    kJumpIfNotEqual,
    kJumpUnlessRelation70,
    kJumpUnlessRelation71,
    kJumpUnlessRelation68,
    kJumpUnlessRelation69,
    kMultiWayJump,
    kChoiceMenu,
    kMessage,
};

}  // namespace scenario::op
