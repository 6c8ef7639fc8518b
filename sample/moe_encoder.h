#pragma once

#include <cstdint>
#include <vector>

#include "image/moe_format.h"

// Encoders of the game's two ".MOE" picture forms, for the sample game and
// for tests. Pixels are given as the decoder yields them: width × height
// pixels of three bytes each (blue, green, red), first row first.
namespace tools {

// The palette form carries at most 160 groups of four pixels per row.
inline constexpr int kMaxPaletteFormWidth = 640;
inline constexpr int kMaxPaletteColours = 256;

using image::moe::kKeyBlue;
using image::moe::kKeyGreen;
using image::moe::kKeyRed;

// The picture that the palette form can carry for `pixels`: the same pixels
// when they use at most 256 colours, otherwise the pixels reduced to fewer
// bits per channel (7 bits each first, down to 3 bits of red, 3 of green and
// 2 of blue, which always fits) at the first depth that leaves at most 256
// colours. The key colour survives the reduction exactly, and no other
// colour is turned into it.
std::vector<uint8_t> LimitColours(int width, int height, const uint8_t* pixels);

// The palette form of `pixels`, after LimitColours; decoding it yields
// exactly LimitColours(width, height, pixels). The width must be a multiple
// of 4 from 4 to 640 (the form codes whole groups of four pixels and at most
// 160 groups per row) and the height 1 to 65,535; anything else gives an
// empty result. Each pair of pixels is coded as a copy from the distance
// table whenever one matches (keeping the row above's choice when it still
// matches, so that the control byte needs no delta), else as two palette
// indices.
std::vector<uint8_t> EncodePaletteForm(int width, int height, const uint8_t* pixels);

// The run-length form of `pixels`: runs of 2 to 127 equal pixels, literal
// blocks of up to 127 pixels, then the end byte 0x00. Width and height must
// be 0 to 65,535; anything else gives an empty result.
std::vector<uint8_t> EncodeRunLength(int width, int height, const uint8_t* pixels);

}  // namespace tools
