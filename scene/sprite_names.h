#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "scenario/translator.h"

namespace scene {

// One filled slot of the sprite-name table: a sprite number and the base
// name (at most 7 characters) of the sprite image it shows.
struct SpriteNameRow {
  uint16_t number;
  const char* name;
};

// The game's sprite names, row by row (sprite_name_table.cpp).
extern const std::array<SpriteNameRow, 176> kSpriteNameRows;

// Sprite number -> name, one fixed-size slot per number below kSlots. Built
// from rows; a row beyond the slots is ignored, a longer name cut to 7
// characters, and every slot without a row is empty.
class SpriteNameTable {
 public:
  static constexpr uint32_t kSlots = 1024;
  static constexpr size_t kNameSize = 8;  // 7 characters and the zero

  template <size_t N>
  constexpr explicit SpriteNameTable(const std::array<SpriteNameRow, N>& rows) {
    for (const SpriteNameRow& row : rows) {
      if (row.number >= kSlots) continue;
      const std::string_view name = std::string_view(row.name).substr(0, kNameSize - 1);
      std::array<char, kNameSize>& slot = names_[row.number];
      slot.fill(0);
      for (size_t i = 0; i < name.size(); ++i) slot[i] = name[i];
    }
  }

  // The name in the slot of `number`; empty when the slot is empty or the
  // number has no slot (kSlots and above).
  std::string_view Name(uint32_t number) const {
    return number < kSlots ? std::string_view(names_[number].data()) : std::string_view();
  }

 private:
  std::array<std::array<char, kNameSize>, kSlots> names_{};
};

// The game's table, built from kSpriteNameRows when the program is compiled.
extern const SpriteNameTable kSpriteNames;

// The game's name for sprite `number` (kSpriteNames.Name).
inline std::string_view SpriteName(uint32_t number) { return kSpriteNames.Name(number); }

// op::kShowCharacters: a count N and N sprite numbers (0: empty position),
// shown side by side in the layout for N positions. Unnamed numbers show
// slot 1's sprite. More than three positions are reported and show nothing.
void TranslateShowCharacters(scenario::Translator& t);

// op::kClearCharacters: removes every character sprite.
void TranslateClearCharacters(scenario::Translator& t);

}  // namespace scene
