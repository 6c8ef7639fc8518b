#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "scenario/translator.h"

namespace scene {

// One filled slot of the sprite-name table: a sprite number and the base
// name (at most 7 characters) of the sprite image it shows.
struct SpriteNameRow {
  uint16_t slot;
  const char* name;
};

// The game's sprite names (sprite_name_table.cpp).
extern const std::array<SpriteNameRow, 176> kSpriteNameRows;

constexpr uint32_t kSpriteSlots = 1024;
constexpr size_t kSpriteNameSize = 8;  // 7 characters and the zero

// Fills `SpriteNameTable` from kSpriteNameRows; every other slot is empty.
// Called once at start-up, before any scenario is translated.
void InitSpriteNameTable();

// The name in the slot of `number`; empty when the slot is empty or the
// number has no slot (1024 and above).
std::string_view SpriteName(uint32_t number);

// Source opcode 13: a count N and N sprite numbers (0: empty position),
// shown side by side in the layout for N positions. Unnamed numbers show
// slot 1's sprite. More than three positions are reported and show nothing.
void TranslateShowCharacters(scenario::Translator& t);

// Source opcode 14: removes every character sprite.
void TranslateClearCharacters(scenario::Translator& t);

}  // namespace scene
