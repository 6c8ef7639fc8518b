#pragma once

#include <array>
#include <string>
#include <string_view>

#include "scenario/translator.h"

namespace scene {

// Background names shown as the black screen "BLACK" instead, upper-cased
// and without extension (black_backgrounds.cpp).
extern const std::array<std::string_view, 15> kBlackBackgroundNames;

// Ends `name` at its first '.', cutting the extension (and anything behind
// it). '.' is never the second byte of a Shift-JIS character.
void CutAtDot(std::string& name);

// op::kBackground and op::kBackgroundAlt: a background picture by name, upper-cased, shown
// as "BLACK" when it is on the black list, without its extension.
void TranslateBackground(scenario::Translator& t);
// op::kBlackScreen: the black screen.
void TranslateBlackScreen(scenario::Translator& t);
// op::kMusic: background music by number, named "BGM_%02d".
void TranslateMusic(scenario::Translator& t);
// op::kMusicStop: stops the music.
void TranslateMusicStop(scenario::Translator& t);
// op::kSoundEffect: a sound effect by name, kept as written, without its
// extension.
void TranslateSoundEffect(scenario::Translator& t);

}  // namespace scene
