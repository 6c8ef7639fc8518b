#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// Decoder of the game's ".MOE" pictures. A file is in the palette form when it
// begins with the bytes 4D 4D 44 1A; every other file is read as the
// run-length form. Both decode to 3-byte pixels (blue, green, red as they
// stand in the file), pixel after pixel in the order the file codes them.
namespace image {

struct DecodedImage {
  int32_t width = 0;   // unsigned 16-bit value from the file header
  int32_t height = 0;  // as width
  // Exactly width × height × 3 bytes. The buffer starts zero-filled, so
  // pixels that decoding never reached are black.
  std::vector<uint8_t> pixels;
};

enum class SourceForm { kPalette, kRunLength };

struct SourceHeader {
  SourceForm form;
  int32_t width;
  int32_t height;

  // width × height × 3, computed in 64 bits.
  uint64_t PixelBytes() const;
};

// Pictures whose pixel buffer would be larger are left out.
inline constexpr uint64_t kMaxPixelBytes = uint64_t{512} << 20;

// The form and size of the picture in `file`; nothing when its header is cut
// short (under 4 bytes, or under 24 bytes for the palette form).
std::optional<SourceHeader> ReadSourceHeader(std::span<const uint8_t> file);

// Decodes a whole file held in memory. Nothing when the header is cut short,
// when the pixel buffer would exceed kMaxPixelBytes or cannot be allocated.
// Otherwise the image is returned, decoded as far as the data allows: any
// read that would leave the file, and every bound of the coding (index
// section used up, palette entry outside the file, pixel buffer full, a copy
// from before the first pixel), ends the decoding with the pixels so far.
std::optional<DecodedImage> DecodeSourceImage(std::span<const uint8_t> file);

}  // namespace image
