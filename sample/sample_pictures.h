#pragma once

#include <cstdint>
#include <vector>

// Made-up pictures for the sample game, painted from a seed: backgrounds of
// gradients and simple shapes, and character sprites on a colour-keyed
// surround. Pixels are three bytes each (blue, green, red), row after row.
namespace tools {

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};

// A scene (harbour by day, a room, a town at night or a sunset, chosen by
// the seed) of banded gradients and shapes. With `grain` the ground and
// walls get a fine texture, as painted backgrounds have; without it the
// picture is made of flat areas and long horizontal runs. No pixel has the
// key colour.
Picture PaintBackground(int width, int height, uint64_t seed, bool grain);

// A figure (hair, head, body) with shading and a soft dark edge, centred on
// a surround of the key colour (blue 0, green 255, red 0). No pixel of the
// figure has the key colour.
Picture PaintSprite(int width, int height, uint64_t seed);

}  // namespace tools
