#pragma once

#include <cstdint>
#include <span>

namespace tools {

// A sprite number of the game's sprite table and the picture it shows.
struct SpriteSlot {
  uint16_t number;
  const char* name;
};

// The game's sprite table, slot by slot, so that the sample scenarios show
// sprite numbers whose pictures exist in the sample's "TACHI" folder.
std::span<const SpriteSlot> SpriteSlots();

}  // namespace tools
