#include "scene/calendar.h"

#include <string_view>

namespace scene {
namespace {

namespace target = scenario::target;

// Where the target keeps the month lengths (see TranslateCalendarUpdate).
constexpr int32_t kMonthLengthsTable = 302;
constexpr int32_t kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr std::string_view kMonthSuffix = "\x8C\x8E";        // 月
constexpr std::string_view kDaySuffix = "\x93\xFA\x81\x40";  // 日 and an ideographic space

// The string numbers under which the date texts are handed to the target.
constexpr int32_t kTextString = 6;
constexpr int32_t kMonthSuffixString = 7;
constexpr int32_t kDaySuffixString = 8;

// Adds a constant to a target variable (as op::kAddToVariable emits it).
void AddToVariable(scenario::Translator& t, int32_t variable, int32_t value) {
  t.out.OutOp(target::kAdd, variable);
  t.out.OutNum(value);
}

}  // namespace

void EmitDateDisplay(scenario::Translator& t) {
  scenario::Output& out = t.out;
  out.OutOp(target::kOp89Sub1, kMonthSuffixString);
  out.OutStr(kMonthSuffix);
  out.OutOp(target::kOp89Sub1, kDaySuffixString);
  out.OutStr(kDaySuffix);
  out.OutOp(target::kOp89Sub6, kMonthVariable);
  out.OutNum(5);
  out.OutNum(10);
  out.OutOp(target::kOp89Sub7, 5);
  out.OutOp(target::kOp89Sub4, 5);
  out.OutNum(kMonthSuffixString);
  out.OutOp(target::kOp89Sub6, kDayVariable);
  out.OutNum(9);
  out.OutNum(10);
  out.OutOp(target::kOp89Sub7, 9);
  out.OutOp(target::kOp89Sub4, 9);
  out.OutNum(kDaySuffixString);
  out.OutOp(target::kOp89Sub4, 5);
  out.OutNum(9);
  out.OutOp(target::kOp96Sub4);
  out.OutByte(target::kOp96Byte1);
  out.OutByte(target::kOp96Byte2);
  out.OutNum(5);
  out.OutByte(target::kOperandsEnd);
}

void TranslateCalendarUpdate(scenario::Translator& t) {
  scenario::Output& out = t.out;
  out.OutOp(target::kOp91Sub1, kMonthLengthsTable);
  for (int32_t days : kMonthLengths) out.OutNum(days);
  out.OutByte(target::kOperandsEnd);

  out.OutOp(target::VariableForm(target::kSet), 0);
  out.OutNum(kMonthVariable);
  AddToVariable(t, 0, kDayVariable);
  out.OutOp(target::kOp64, kDayVariable);
  out.OutNumFlagged(0);

  // A conditional jump to the last step of the block, the day's increment. Its slot is
  // patched here, once its destination is known, not through the jump
  // fixups, so it holds even when the scenario's fixup list is full.
  out.OutOp(target::kIf);
  out.OutByte(target::kIfOpen);
  out.OutByte(target::kRelationNotEqual);
  out.OutNum(kDayVariable);
  out.OutNum(0);
  out.OutByte(target::kIfClose);
  const int32_t slot = out.Len();
  out.OutInt(0);
  out.OutOp(target::kOp64, kMonthVariable);
  out.OutNumFlagged(12);
  AddToVariable(t, kMonthVariable, 1);
  out.PatchSlot(slot, out.Len());
  AddToVariable(t, kDayVariable, 1);

  EmitDateDisplay(t);
}

void TranslateSetDate(scenario::Translator& t) {
  const uint32_t month = t.src.ReadU16();
  const uint32_t day = t.src.ReadU16();
  t.out.OutOp(target::kSet, kMonthVariable);
  t.out.OutNum(static_cast<int32_t>(month));
  t.out.OutOp(target::kSet, kDayVariable);
  t.out.OutNum(static_cast<int32_t>(day));
  EmitDateDisplay(t);
}

void TranslateDateWithText(scenario::Translator& t) {
  t.out.OutOp(target::kOp89Sub1, kTextString);
  t.out.OutStr(t.src.ReadString());
  EmitDateDisplay(t);
}

void TranslateDateNoText(scenario::Translator& t) {
  t.out.OutOp(target::kOp89Sub1, kTextString);
  t.out.OutStr("");
  EmitDateDisplay(t);
}

}  // namespace scene
