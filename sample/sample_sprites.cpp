#include "sample/sample_sprites.h"

namespace tools {

std::span<const SpriteSlot> SpriteSlots() { return scene::kSpriteNameRows; }

}  // namespace tools
