#include "scenario/control_flow.h"

#include <array>

#include "base/printable.h"
#include "scenario/scenario_set.h"

namespace scenario {
namespace {

// Target opcodes are written as their byte values: their meaning belongs to
// the interpreter, and the sequences below are emitted exactly as listed.

// The variable-value form of every opcode is its constant form plus this.
constexpr int kVariableFormDelta = 14;
// Value operands from 0x10000 up name a variable in their low 16 bits.
constexpr uint32_t kFirstVariableValue = 0x10000;

constexpr int kMenuNumber = 999;
constexpr size_t kMaxOptions = 16;

bool IsVariable(uint32_t value) { return value >= kFirstVariableValue; }

// The opcode in the form that fits the value operand.
int FormFor(int constantForm, uint32_t value) {
  return IsVariable(value) ? constantForm + kVariableFormDelta : constantForm;
}

// A value operand: the constant itself, or the remapped variable number.
void OutValue(Translator& t, uint32_t value) {
  t.out.OutNum(IsVariable(value) ? MapVar(value & 0xFFFF) : static_cast<int32_t>(value));
}

// The opcode in its form, the remapped variable, the value: the body of every
// variable operation and comparison.
void OutVariableAndValue(Translator& t, int constantForm, uint32_t variable, uint32_t value) {
  t.out.OutByte(FormFor(constantForm, value));
  t.out.OutNum(MapVar(variable));
  OutValue(t, value);
}

// 59 0 a, 115 29 1, 22 subCode scenario, 115 29 0: the reference to one of
// the fixed scenarios 994 and 995, with `a` handed over as target variable 0.
void CallFixedScenario(Translator& t, uint32_t a, int subCode, int scenario) {
  t.out.OutByte(59);
  t.out.OutNum(0);
  t.out.OutNum(static_cast<int32_t>(a));
  t.out.OutByte(115);
  t.out.OutByte(29);
  t.out.OutNum(1);
  t.out.OutByte(22);
  t.out.OutByte(subCode);
  t.out.OutNum(scenario);
  t.out.OutByte(115);
  t.out.OutByte(29);
  t.out.OutNum(0);
}

// Target opcodes of the variable operations, in constant form.
constexpr int kTargetSet = 59;
constexpr int kTargetAdd = 60;
constexpr int kTargetSubtract = 61;

void VariableOp(Translator& t, int constantForm) {
  uint32_t variable = t.src.ReadU16();
  uint32_t value = t.src.ReadU24();
  OutVariableAndValue(t, constantForm, variable, value);
}

// Target relations in constant form. The conditional jumps go on with the
// second label while the relation holds and jump to the first otherwise.
constexpr int kTargetEqual = 58;
constexpr int kTargetNotEqual = 59;

void ConditionalJump(Translator& t, int relation) {
  uint32_t variable = t.src.ReadU16();
  uint32_t value = t.src.ReadU24();
  uint32_t label1 = t.src.ReadU16();
  // Either the list end, and the second label is the next instruction, or the second
  // label and one byte that is not examined. Cut short by the end of the
  // source, the would-be list end reads as 0: the two-label form.
  uint32_t label2;
  if (t.src.Peek() == op::kListEnd) {
    t.src.ReadU8();
    label2 = t.src.Pos();
  } else {
    label2 = t.src.ReadU16();
    t.src.ReadU8();
  }
  t.out.OutByte(21);
  t.out.OutByte(40);
  OutVariableAndValue(t, relation, variable, value);
  t.out.OutByte(41);
  t.OutJump(label2);
  t.out.OutByte(28);
  t.OutJump(label1);
}

// True when another group follows; consumes the list terminator. A list
// also ends where the source ends, since bytes behind it read as 0, never
// as the terminator.
bool NextGroup(Translator& t) {
  if (t.src.AtEnd()) return false;
  if (t.src.Peek() != op::kListEnd) return true;
  t.src.ReadU8();
  return false;
}

}  // namespace

void Jump(Translator& t) {
  t.out.OutByte(28);
  t.OutJump(t.src.ReadU16());
}

void ScenarioByName(Translator& t) {
  std::string_view name = t.src.ReadString();
  t.out.OutByte(22);
  t.out.OutByte(1);
  t.out.OutNum(t.scenarios ? t.scenarios->LookupScenario(name) : 0);
}

void FixedScenario994(Translator& t) { CallFixedScenario(t, t.src.ReadU16(), 2, 994); }

void FixedScenario995(Translator& t) {
  uint32_t a = t.src.ReadU16();
  if (a == 5) {
    t.out.OutByte(59);
    t.out.OutNum(1999);
    t.out.OutNum(1);
  }
  CallFixedScenario(t, a, 1, 995);
}

void AddToVariable(Translator& t) { VariableOp(t, kTargetAdd); }
void SubtractFromVariable(Translator& t) { VariableOp(t, kTargetSubtract); }
void SetVariable(Translator& t) { VariableOp(t, kTargetSet); }

void FixedScenario996(Translator& t) {
  for (int i = 0; i < 7; ++i) {
    t.out.OutByte(59);
    t.out.OutNum(810 + i);
    t.out.OutNum(static_cast<int32_t>(t.src.ReadU16()));
  }
  t.out.OutByte(22);
  t.out.OutByte(2);
  t.out.OutNum(996);
}

void JumpIfEqual(Translator& t) { ConditionalJump(t, kTargetNotEqual); }
void JumpIfNotEqual(Translator& t) { ConditionalJump(t, kTargetEqual); }
void JumpUnlessRelation70(Translator& t) { ConditionalJump(t, 70); }
void JumpUnlessRelation71(Translator& t) { ConditionalJump(t, 71); }
void JumpUnlessRelation68(Translator& t) { ConditionalJump(t, 68); }
void JumpUnlessRelation69(Translator& t) { ConditionalJump(t, 69); }

void MultiWayJump(Translator& t) {
  uint32_t variable = t.src.ReadU16();
  while (NextGroup(t)) {
    uint32_t label = t.src.ReadU16();
    uint32_t value = t.src.ReadU24();
    t.out.OutByte(21);
    t.out.OutByte(40);
    OutVariableAndValue(t, kTargetEqual, variable, value);
    t.out.OutByte(41);
    t.OutJump(label);
  }
}

void ChoiceMenu(Translator& t) {
  const uint32_t opcodePos = t.src.Pos() - 1;
  t.out.OutByte(88);
  t.out.OutByte(1);
  t.out.OutNum(kMenuNumber);
  t.out.OutByte(34);
  t.out.OutByte(0);

  // The slots follow all option texts, so the labels wait here.
  std::array<uint32_t, kMaxOptions> labels{};
  size_t count = 0;
  bool dropped = false;
  while (NextGroup(t)) {
    uint32_t label = t.src.ReadU16();
    std::string_view text = t.src.ReadString();
    if (count == kMaxOptions) {
      dropped = true;
      continue;
    }
    labels[count++] = label;
    t.out.OutByte(255);
    t.out.OutStr(text);
    t.out.OutByte(0);
  }
  if (dropped) {
    t.diag.Report("Warning : choice menu at 0x%04x has more than 16 options, only the first 16 kept: %s\n",
                  opcodePos, base::Printable(t.sourceName, base::TextEncoding::kShiftJis).c_str());
  }

  t.out.OutByte(35);
  t.out.OutByte(30);
  t.out.OutByte(static_cast<int32_t>(count));
  t.out.OutNum(kMenuNumber);
  for (size_t i = 0; i < count; ++i) t.OutJump(labels[i]);
}

void SkipString(Translator& t) { t.src.ReadString(); }
void SkipWord(Translator& t) { t.src.ReadU16(); }
void SkipByteAndWord(Translator& t) {
  t.src.ReadU8();
  t.src.ReadU16();
}
void SkipTwoWords(Translator& t) {
  t.src.ReadU16();
  t.src.ReadU16();
}

}  // namespace scenario
