#pragma once

#include <array>

#include "scenario/source_opcodes.h"
#include "scenario/translator.h"

// Handlers of the source opcodes that move control or work on variables.
// Each is entered with the read position just behind its opcode byte and
// leaves it behind its last operand.
namespace scenario {

// Label. Plain jump (target 28).
void Jump(Translator& t);
// String. Reference to another scenario by its file name.
void ScenarioByName(Translator& t);
// Word. Sets variable 0 and goes to the fixed scenario 994.
void FixedScenario994(Translator& t);
// Word. Sets variable 0 (and 1,999 when the word is 5) and goes to the fixed
// scenario 995.
void FixedScenario995(Translator& t);
// Variable, value operand: target 60 (add), 61 (subtract), 59 (set).
void AddToVariable(Translator& t);
void SubtractFromVariable(Translator& t);
void SetVariable(Translator& t);
// Seven words into variables 810 to 816, then the fixed scenario 996.
void FixedScenario996(Translator& t);
// Variable, value operand, label, then the list end or a label and a byte:
// goes to the label unless the target relation holds (see
// source_opcodes.h): 59 not equal, 58 equal, then 70, 71, 68 and 69.
void JumpIfEqual(Translator& t);
void JumpIfNotEqual(Translator& t);
void JumpUnlessRelation70(Translator& t);
void JumpUnlessRelation71(Translator& t);
void JumpUnlessRelation68(Translator& t);
void JumpUnlessRelation69(Translator& t);
// Variable, then (label, value operand) groups up to the list end: the
// first group whose value equals the variable jumps.
void MultiWayJump(Translator& t);
// (Label, option text) groups up to the list end.
void ChoiceMenu(Translator& t);
// Consumed without output: one string, one word, a byte and a word, two
// words.
void SkipString(Translator& t);
void SkipWord(Translator& t);
void SkipByteAndWord(Translator& t);
void SkipTwoWords(Translator& t);

// The handlers above with their opcodes, for the dispatch table.
inline constexpr std::array<OpcodeHandler, 20> kControlFlowHandlers = {{
    {op::kJump, Jump},
    {op::kScenarioByName, ScenarioByName},
    {op::kFixedScenario994, FixedScenario994},
    {op::kAddToVariable, AddToVariable},
    {op::kSubtractFromVariable, SubtractFromVariable},
    {op::kSetVariable, SetVariable},
    {op::kFixedScenario995, FixedScenario995},
    {op::kIgnoredString, SkipString},
    {op::kIgnoredWord, SkipWord},
    {op::kIgnoredByteAndWord, SkipByteAndWord},
    {op::kIgnoredTwoWords, SkipTwoWords},
    {op::kFixedScenario996, FixedScenario996},
    {op::kJumpIfEqual, JumpIfEqual},
    {op::kJumpIfNotEqual, JumpIfNotEqual},
    {op::kJumpUnlessRelation70, JumpUnlessRelation70},
    {op::kJumpUnlessRelation71, JumpUnlessRelation71},
    {op::kJumpUnlessRelation68, JumpUnlessRelation68},
    {op::kJumpUnlessRelation69, JumpUnlessRelation69},
    {op::kMultiWayJump, MultiWayJump},
    {op::kChoiceMenu, ChoiceMenu},
}};

}  // namespace scenario
