#pragma once

#include "scenario/translator.h"

// Handlers of the source opcodes that move control or work on variables.
// Each is entered with the read position just behind its opcode byte and
// leaves it behind its last operand.
namespace scenario {

// 0x01: label. Plain jump.
void Jump(Translator& t);
// 0x04: string. Reference to another scenario by its file name.
void ScenarioByName(Translator& t);
// 0x07: word. Sets variable 0 and goes to the fixed scenario 994.
void FixedScenario994(Translator& t);
// 0x14: word. Sets variable 0 (and 1,999 when the word is 5) and goes to the
// fixed scenario 995.
void FixedScenario995(Translator& t);
// 0x09, 0x0A, 0x0B: variable, value operand.
void VariableOp09(Translator& t);
void VariableOp0A(Translator& t);
void VariableOp0B(Translator& t);
// 0x27: seven words into variables 810 to 816, then the fixed scenario 996.
void FixedScenario996(Translator& t);
// 0xC0 to 0xC5: variable, value operand, label, then 0xFF or label + byte.
void ConditionalJumpC0(Translator& t);
void ConditionalJumpC1(Translator& t);
void ConditionalJumpC2(Translator& t);
void ConditionalJumpC3(Translator& t);
void ConditionalJumpC4(Translator& t);
void ConditionalJumpC5(Translator& t);
// 0xD0: variable, then (label, value operand) groups up to 0xFF.
void MultiWayJump(Translator& t);
// 0xE0: (label, option text) groups up to 0xFF.
void ChoiceMenu(Translator& t);
// Consumed without output: 0x1A one string, 0x1C one word, 0x1D a byte and
// a word, 0x20 two words.
void SkipString(Translator& t);
void SkipWord(Translator& t);
void SkipByteAndWord(Translator& t);
void SkipTwoWords(Translator& t);

}  // namespace scenario
