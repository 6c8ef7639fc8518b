#pragma once

#include "scenario/translator.h"

namespace scene {

// The target variables holding the date shown on screen.
constexpr int32_t kMonthVariable = 300;
constexpr int32_t kDayVariable = 301;

// Emits the block that formats the month and day variables with "月" and
// "日　" and shows them; the last step of every calendar handler.
void EmitDateDisplay(scenario::Translator& t);

// op::kCalendarUpdate: a fixed block working on the month and day variables with
// the month lengths of a common year, then the date display.
void TranslateCalendarUpdate(scenario::Translator& t);
// op::kSetDate: sets the month and the day (two words), then shows them.
void TranslateSetDate(scenario::Translator& t);
// op::kDateWithText: shows the date with a text (a string, copied unchanged).
void TranslateDateWithText(scenario::Translator& t);
// op::kDateNoText: shows the date without text.
void TranslateDateNoText(scenario::Translator& t);

}  // namespace scene
