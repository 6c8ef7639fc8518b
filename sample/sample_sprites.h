#pragma once

#include <span>

#include "scene/sprite_names.h"

namespace tools {

// A sprite number of the game's sprite table and the picture it shows.
using SpriteSlot = scene::SpriteNameRow;

// The game's sprite table (the converter's own, scene::kSpriteNameRows),
// slot by slot, so that the sample scenarios show sprite numbers whose
// pictures exist in the sample's "TACHI" folder.
std::span<const SpriteSlot> SpriteSlots();

}  // namespace tools
