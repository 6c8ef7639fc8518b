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

// Source opcodes 15 and 27: a background picture by name, upper-cased, shown
// as "BLACK" when it is on the black list, without its extension.
void TranslateBackground(scenario::Translator& t);
// Source opcode 16: the black screen.
void TranslateBlackScreen(scenario::Translator& t);
// Source opcode 17: background music by number, named "BGM_%02d".
void TranslateMusic(scenario::Translator& t);
// Source opcode 18: stops the music.
void TranslateMusicStop(scenario::Translator& t);
// Source opcode 19: a sound effect by name, kept as written, without its
// extension.
void TranslateSoundEffect(scenario::Translator& t);

}  // namespace scene
