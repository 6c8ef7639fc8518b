#include "scene/calendar.h"

#include <string_view>

namespace scene {
namespace {

// Where the target keeps the month lengths (see TranslateCalendarUpdate).
constexpr int32_t kMonthLengthsTable = 302;
constexpr int32_t kMonthLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr std::string_view kMonthSuffix = "\x8C\x8E";        // 月
constexpr std::string_view kDaySuffix = "\x93\xFA\x81\x40";  // 日 and an ideographic space

// The string numbers under which the date texts are handed to the target.
constexpr int32_t kTextString = 6;
constexpr int32_t kMonthSuffixString = 7;
constexpr int32_t kDaySuffixString = 8;

// Adds a constant to a target variable (target 60, as op::kAddToVariable emits).
void AddToVariable(scenario::Translator& t, int32_t variable, int32_t value) {
  t.out.OutByte(60);
  t.out.OutNum(variable);
  t.out.OutNum(value);
}

}  // namespace

void EmitDateDisplay(scenario::Translator& t) {
  scenario::Output& out = t.out;
  out.OutOp89(1, kMonthSuffixString);
  out.OutStr(kMonthSuffix);
  out.OutOp89(1, kDaySuffixString);
  out.OutStr(kDaySuffix);
  out.OutOp89(6, kMonthVariable);
  out.OutNum(5);
  out.OutNum(10);
  out.OutOp89(7, 5);
  out.OutOp89(4, 5);
  out.OutNum(kMonthSuffixString);
  out.OutOp89(6, kDayVariable);
  out.OutNum(9);
  out.OutNum(10);
  out.OutOp89(7, 9);
  out.OutOp89(4, 9);
  out.OutNum(kDaySuffixString);
  out.OutOp89(4, 5);
  out.OutNum(9);
  out.OutByte(96);
  out.OutByte(4);
  out.OutByte(16);
  out.OutByte(3);
  out.OutNum(5);
  out.OutByte(0);
}

void TranslateCalendarUpdate(scenario::Translator& t) {
  scenario::Output& out = t.out;
  out.OutByte(91);
  out.OutByte(1);
  out.OutNum(kMonthLengthsTable);
  for (int32_t days : kMonthLengths) out.OutNum(days);
  out.OutByte(0);

  out.OutByte(73);
  out.OutNum(0);
  out.OutNum(kMonthVariable);
  AddToVariable(t, 0, kDayVariable);
  out.OutByte(64);
  out.OutNum(kDayVariable);
  out.OutNumFlagged(0);

  // A conditional jump to the last step of the block, the day's increment. Its slot is
  // patched here, once its destination is known, not through the jump
  // fixups, so it holds even when the scenario's fixup list is full.
  for (int b : {21, 40, 59}) out.OutByte(b);
  out.OutNum(kDayVariable);
  out.OutNum(0);
  out.OutByte(41);
  const int32_t slot = out.Len();
  out.OutInt(0);
  out.OutByte(64);
  out.OutNum(kMonthVariable);
  out.OutNumFlagged(12);
  AddToVariable(t, kMonthVariable, 1);
  out.PatchSlot(slot, out.Len());
  AddToVariable(t, kDayVariable, 1);

  EmitDateDisplay(t);
}

void TranslateSetDate(scenario::Translator& t) {
  const uint32_t month = t.src.ReadU16();
  const uint32_t day = t.src.ReadU16();
  t.out.OutByte(59);
  t.out.OutNum(kMonthVariable);
  t.out.OutNum(static_cast<int32_t>(month));
  t.out.OutByte(59);
  t.out.OutNum(kDayVariable);
  t.out.OutNum(static_cast<int32_t>(day));
  EmitDateDisplay(t);
}

void TranslateDateWithText(scenario::Translator& t) {
  t.out.OutOp89(1, kTextString);
  t.out.OutStr(t.src.ReadString());
  EmitDateDisplay(t);
}

void TranslateDateNoText(scenario::Translator& t) {
  t.out.OutOp89(1, kTextString);
  t.out.OutByte(0);
  EmitDateDisplay(t);
}

}  // namespace scene
