#pragma once

#include <array>
#include <cstdint>

#include "scenario/translator.h"
#include "scene/background_sound.h"
#include "scene/calendar.h"
#include "scene/sprite_names.h"
#include "scene/text_message.h"

namespace scene {

// The scene handlers and the source opcode each one serves:
//   13 (0x0D)  TranslateShowCharacters    27 (0x1B)  TranslateBackground
//   14 (0x0E)  TranslateClearCharacters   34 (0x22)  TranslateCalendarUpdate
//   15 (0x0F)  TranslateBackground        35 (0x23)  TranslateSetDate
//   16 (0x10)  TranslateBlackScreen       40 (0x28)  TranslateDateWithText
//   17 (0x11)  TranslateMusic             41 (0x29)  TranslateDateNoText
//   18 (0x12)  TranslateMusicStop        240 (0xF0)  TranslateTextMessage
//   19 (0x13)  TranslateSoundEffect
// The dispatch table takes them from kSceneHandlers.
struct SceneHandler {
  uint8_t opcode;
  scenario::Handler handler;
};

inline constexpr std::array<SceneHandler, 13> kSceneHandlers = {{
    {13, TranslateShowCharacters},
    {14, TranslateClearCharacters},
    {15, TranslateBackground},
    {16, TranslateBlackScreen},
    {17, TranslateMusic},
    {18, TranslateMusicStop},
    {19, TranslateSoundEffect},
    {27, TranslateBackground},
    {34, TranslateCalendarUpdate},
    {35, TranslateSetDate},
    {40, TranslateDateWithText},
    {41, TranslateDateNoText},
    {240, TranslateTextMessage},
}};

}  // namespace scene
