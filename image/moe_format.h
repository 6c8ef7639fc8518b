#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Layout of the game's ".MOE" pictures, shared by the decoder and by the
// encoders that make sample pictures. Every multi-byte field is little-endian.
namespace image::moe {

// Palette form: a 24-byte header, then flag bits, delta section, index
// section and palette. The three section fields count from the header's end.
inline constexpr std::array<uint8_t, 4> kPaletteMagic = {0x4D, 0x4D, 0x44, 0x1A};
inline constexpr size_t kPaletteHeaderSize = 24;
inline constexpr size_t kPaletteWidthOffset = 4;         // u16
inline constexpr size_t kPaletteHeightOffset = 6;        // u16
inline constexpr size_t kPaletteDeltaStartOffset = 8;    // u32
inline constexpr size_t kPaletteIndexStartOffset = 12;   // u32
inline constexpr size_t kPaletteIndexLengthOffset = 16;  // u32
inline constexpr int kPixelsPerGroup = 4;

// Copy steps of the control nibbles, dy·256 + dx (entry 0: two literals).
inline constexpr std::array<uint16_t, 16> kCopySteps = {0x000, 0x002, 0x004, 0x008, 0x100, 0x102,
                                                        0x200, 0x202, 0x204, 0x400, 0x402, 0x404,
                                                        0x800, 0x802, 0x804, 0x1000};

// Run-length form: width and height (u16 each), then items.
inline constexpr size_t kRunLengthHeaderSize = 4;

inline constexpr size_t kPixelSize = 3;  // blue, green, red

// The colour that marks transparent pixels, in pixel byte order.
inline constexpr uint8_t kKeyBlue = 0, kKeyGreen = 255, kKeyRed = 0;

inline constexpr bool IsKeyColour(const uint8_t* bgr) {
  return bgr[0] == kKeyBlue && bgr[1] == kKeyGreen && bgr[2] == kKeyRed;
}

}  // namespace image::moe
