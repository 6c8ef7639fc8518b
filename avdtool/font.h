#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// A 5 × 7 bitmap font of printable ASCII for the labels of the contact
// sheet: each glyph is five columns, left to right, bit 0 the top row.
namespace avdtool::font {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kAdvance = kGlyphWidth + 1;

using Glyph = std::array<uint8_t, kGlyphWidth>;

// The glyph of `c`; a question mark for anything outside printable ASCII.
const Glyph& GlyphOf(char c);

// Whether the pixel at column `x` (0 to 4) and row `y` (0 to 6) is set.
inline bool IsSet(const Glyph& glyph, int x, int y) { return (glyph[static_cast<size_t>(x)] >> y) & 1; }

}  // namespace avdtool::font
