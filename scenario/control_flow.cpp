#include "scenario/control_flow.h"

#include <array>

#include "base/printable.h"
#include "scenario/scenario_set.h"

namespace scenario {
namespace {

// Value operands from 0x10000 up name a variable in their low 16 bits.
constexpr uint32_t kFirstVariableValue = 0x10000;

constexpr int kMenuNumber = 999;
constexpr size_t kMaxOptions = 16;

bool IsVariable(uint32_t value) { return value >= kFirstVariableValue; }

// The opcode or relation in the form that fits the value operand.
uint8_t FormFor(uint8_t constantForm, uint32_t value) {
  return IsVariable(value) ? target::VariableForm(constantForm) : constantForm;
}

// A value operand: the constant itself, or the remapped variable number.
void OutValue(Translator& t, uint32_t value) {
  t.out.OutNum(IsVariable(value) ? MapVar(value & 0xFFFF) : static_cast<int32_t>(value));
}

// The opcode in its form, the remapped variable, the value: the body of every
// variable operation and comparison.
void OutVariableAndValue(Translator& t, uint8_t constantForm, uint32_t variable, uint32_t value) {
  t.out.OutByte(FormFor(constantForm, value));
  t.out.OutNum(MapVar(variable));
  OutValue(t, value);
}

// Set 0 a, 115.29 1, the call, 115.29 0: the reference to one of the fixed
// scenarios 994 and 995, with `a` handed over as target variable 0.
void CallFixedScenario(Translator& t, uint32_t a, target::Code call, int scenario) {
  t.out.OutOp(target::kSet, 0);
  t.out.OutNum(static_cast<int32_t>(a));
  t.out.OutOp(target::kOp115Sub29, 1);
  t.out.OutOp(call, scenario);
  t.out.OutOp(target::kOp115Sub29, 0);
}

void VariableOp(Translator& t, target::Code constantForm) {
  uint32_t variable = t.src.ReadU16();
  uint32_t value = t.src.ReadU24();
  OutVariableAndValue(t, constantForm.opcode, variable, value);
}

// The conditional jumps go on with the second label while the target
// relation holds and jump to the first otherwise.
void ConditionalJump(Translator& t, uint8_t relation) {
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
  t.out.OutOp(target::kIf);
  t.out.OutByte(target::kIfOpen);
  OutVariableAndValue(t, relation, variable, value);
  t.out.OutByte(target::kIfClose);
  t.OutJump(label2);
  t.out.OutOp(target::kGoto);
  t.OutJump(label1);
}

}  // namespace

void Jump(Translator& t) {
  t.out.OutOp(target::kGoto);
  t.OutJump(t.src.ReadU16());
}

void ScenarioByName(Translator& t) {
  std::string_view name = t.src.ReadString();
  t.out.OutOp(target::kScenario1, t.scenarios ? t.scenarios->LookupScenario(name) : 0);
}

void FixedScenario994(Translator& t) { CallFixedScenario(t, t.src.ReadU16(), target::kScenario2, 994); }

void FixedScenario995(Translator& t) {
  uint32_t a = t.src.ReadU16();
  if (a == 5) {
    t.out.OutOp(target::kSet, 1999);
    t.out.OutNum(1);
  }
  CallFixedScenario(t, a, target::kScenario1, 995);
}

void AddToVariable(Translator& t) { VariableOp(t, target::kAdd); }
void SubtractFromVariable(Translator& t) { VariableOp(t, target::kSubtract); }
void SetVariable(Translator& t) { VariableOp(t, target::kSet); }

void FixedScenario996(Translator& t) {
  for (int i = 0; i < 7; ++i) {
    t.out.OutOp(target::kSet, 810 + i);
    t.out.OutNum(static_cast<int32_t>(t.src.ReadU16()));
  }
  t.out.OutOp(target::kScenario2, 996);
}

void JumpIfEqual(Translator& t) { ConditionalJump(t, target::kRelationNotEqual); }
void JumpIfNotEqual(Translator& t) { ConditionalJump(t, target::kRelationEqual); }
void JumpUnlessRelation70(Translator& t) { ConditionalJump(t, target::kRelation70); }
void JumpUnlessRelation71(Translator& t) { ConditionalJump(t, target::kRelation71); }
void JumpUnlessRelation68(Translator& t) { ConditionalJump(t, target::kRelation68); }
void JumpUnlessRelation69(Translator& t) { ConditionalJump(t, target::kRelation69); }

void MultiWayJump(Translator& t) {
  uint32_t variable = t.src.ReadU16();
  while (t.src.NextGroup()) {
    uint32_t label = t.src.ReadU16();
    uint32_t value = t.src.ReadU24();
    t.out.OutOp(target::kIf);
    t.out.OutByte(target::kIfOpen);
    OutVariableAndValue(t, target::kRelationEqual, variable, value);
    t.out.OutByte(target::kIfClose);
    t.OutJump(label);
  }
}

void ChoiceMenu(Translator& t) {
  const uint32_t opcodePos = t.src.Pos() - 1;
  t.out.OutOp(target::kChoice, kMenuNumber);
  t.out.OutOp(target::kOp34Sub0);

  // The slots follow all option texts, so the labels wait here.
  std::array<uint32_t, kMaxOptions> labels{};
  size_t count = 0;
  bool dropped = false;
  while (t.src.NextGroup()) {
    uint32_t label = t.src.ReadU16();
    std::string_view text = t.src.ReadString();
    if (count == kMaxOptions) {
      dropped = true;
      continue;
    }
    labels[count++] = label;
    t.out.OutOp(target::kText);
    t.out.OutStr(text);
    t.out.OutOp(target::kOptionEnd);
  }
  if (dropped) {
    t.diag.Report("Warning : choice menu at 0x%04x has more than 16 options, only the first 16 kept: %s\n",
                  opcodePos, base::Printable(t.sourceName, base::TextEncoding::kShiftJis).c_str());
  }

  t.out.OutOp(target::kChoiceJumps);
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
