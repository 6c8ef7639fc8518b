#pragma once

#include <array>

#include "scenario/source_opcodes.h"
#include "scenario/translator.h"
#include "scene/background_sound.h"
#include "scene/calendar.h"
#include "scene/scene_state.h"
#include "scene/sprite_names.h"
#include "scene/text_message.h"

namespace scene {

// The scene handlers with the source opcodes they serve, for the dispatch
// table; the message handler needs the scene state (MakeSceneState,
// StartScenario).
inline constexpr std::array<scenario::OpcodeHandler, 13> kSceneHandlers = {{
    {scenario::op::kShowCharacters, TranslateShowCharacters},
    {scenario::op::kClearCharacters, TranslateClearCharacters},
    {scenario::op::kBackground, TranslateBackground},
    {scenario::op::kBlackScreen, TranslateBlackScreen},
    {scenario::op::kMusic, TranslateMusic},
    {scenario::op::kMusicStop, TranslateMusicStop},
    {scenario::op::kSoundEffect, TranslateSoundEffect},
    {scenario::op::kBackgroundAlt, TranslateBackground},
    {scenario::op::kCalendarUpdate, TranslateCalendarUpdate},
    {scenario::op::kSetDate, TranslateSetDate},
    {scenario::op::kDateWithText, TranslateDateWithText},
    {scenario::op::kDateNoText, TranslateDateNoText},
    {scenario::op::kMessage, TranslateTextMessage},
}};

}  // namespace scene
