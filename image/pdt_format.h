#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// Layout of a "PDT10" picture: a 32-byte header, then n 16-bit pixels
// (5-6-5: red in bits 11-15, green in 5-10, blue in 0-4), then, only when the
// picture uses transparency, n alpha bytes. n is the pixel count of the
// stored (halved) picture. Every integer is little-endian; header bytes that
// carry no field are zero.
namespace image::pdt {

inline constexpr size_t kHeaderSize = 32;
inline constexpr std::string_view kMagic = "PDT10";  // at offset 0
inline constexpr size_t kMagicOffset = 0;
inline constexpr size_t kWidthOffset = 12;   // u32: width of the source picture
inline constexpr size_t kHeightOffset = 16;  // u32: height of the source picture
// u32: 0 without an alpha plane; otherwise 2·n, the length of the pixel plane
// and the alpha plane's offset counted from the end of the header.
inline constexpr size_t kAlphaPlaneOffset = 28;

inline constexpr size_t kPixelSize = 2;  // bytes per stored pixel

inline constexpr uint8_t kAlphaOpaque = 255;
inline constexpr uint8_t kAlphaTransparent = 0;

}  // namespace image::pdt
