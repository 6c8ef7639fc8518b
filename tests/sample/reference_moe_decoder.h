#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// An independent decoder of the two ".MOE" forms, written from the format
// rules alone, that the encoder tests decode with. It stops where the rules
// stop (and wherever a byte would lie outside the file) and reports how many
// pixels it decoded, so a test can tell a complete picture from a cut one.
namespace reference {

struct Decoded {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // width × height × 3, zero where not decoded
  size_t decodedPixels = 0;

  bool Complete() const { return decodedPixels * 3 == pixels.size(); }
};

namespace detail {

inline uint32_t U16(const std::vector<uint8_t>& f, size_t at) {
  return at + 2 <= f.size() ? f[at] | (f[at + 1] << 8) : 0;
}
inline uint32_t U32(const std::vector<uint8_t>& f, size_t at) {
  return at + 4 <= f.size() ? f[at] | (f[at + 1] << 8) | (f[at + 2] << 16) | (uint32_t{f[at + 3]} << 24) : 0;
}

inline void DecodePalette(const std::vector<uint8_t>& f, Decoded& d) {
  if (f.size() < 24) return;
  const uint64_t deltas = 24 + uint64_t{U32(f, 8)};
  const uint64_t indices = 24 + uint64_t{U32(f, 12)};
  const uint64_t palette = indices + U32(f, 16);
  const int groups = d.width >> 2;
  if (groups > 160) return;

  constexpr std::array<uint16_t, 16> kSteps = {0x000, 0x002, 0x004, 0x008, 0x100, 0x102, 0x200, 0x202,
                                               0x204, 0x400, 0x402, 0x404, 0x800, 0x802, 0x804, 0x1000};
  std::array<size_t, 16> distance{};
  for (size_t n = 0; n < 16; ++n) {
    distance[n] = ((kSteps[n] & 0xFF) + static_cast<size_t>(d.width) * (kSteps[n] >> 8)) & ~size_t{1};
  }
  std::array<uint8_t, 160> control{};
  uint64_t flagIndex = 0, deltaCount = 0, indexCount = 0;
  uint8_t mask = 0x80;
  const size_t capacity = d.pixels.size() / 3;
  size_t& p = d.decodedPixels;

  auto pair = [&](int n) {
    for (int i = 0; i < 2; ++i) {
      if (p >= capacity) return false;
      const uint8_t* from;
      if (n == 0) {
        uint64_t at = indices + indexCount;
        if (at >= palette || at >= f.size()) return false;
        uint64_t entry = palette + 3 * uint64_t{f[at]};
        if (entry + 3 > f.size()) return false;
        from = &f[entry];
        ++indexCount;
      } else {
        if (p < distance[n]) return false;
        from = &d.pixels[3 * (p - distance[n])];
      }
      std::copy(from, from + 3, &d.pixels[3 * p]);
      ++p;
    }
    return true;
  };

  for (int y = 0; y < d.height; ++y) {
    for (int g = 0; g < groups; ++g) {
      if (24 + flagIndex >= f.size()) return;
      if (f[24 + flagIndex] & mask) {
        if (deltas + deltaCount >= f.size()) return;
        control[g] ^= f[deltas + deltaCount++];
      }
      mask >>= 1;
      if (mask == 0) {
        mask = 0x80;
        ++flagIndex;
      }
      if (!pair(control[g] >> 4) || !pair(control[g] & 0x0F)) return;
    }
  }
}

inline void DecodeRunLength(const std::vector<uint8_t>& f, Decoded& d) {
  const size_t capacity = d.pixels.size() / 3;
  size_t& p = d.decodedPixels;
  size_t at = 4;
  while (at < f.size()) {
    uint8_t c = f[at];
    if ((c & 0x7F) == 0) return;
    if (c > 0x80) {
      ++at;
      for (int i = 0; i < c - 0x80; ++i) {
        if (p >= capacity || at + 3 > f.size()) return;
        std::copy(&f[at], &f[at + 3], &d.pixels[3 * p++]);
        at += 3;
      }
    } else {
      if (at + 4 > f.size()) return;
      for (int i = 0; i < c; ++i) {
        if (p >= capacity) return;
        std::copy(&f[at + 1], &f[at + 4], &d.pixels[3 * p++]);
      }
      at += 4;
    }
  }
}

}  // namespace detail

inline Decoded DecodeMoe(const std::vector<uint8_t>& file) {
  Decoded d;
  bool palette = file.size() >= 4 && file[0] == 0x4D && file[1] == 0x4D && file[2] == 0x44 && file[3] == 0x1A;
  d.width = static_cast<int>(detail::U16(file, palette ? 4 : 0));
  d.height = static_cast<int>(detail::U16(file, palette ? 6 : 2));
  d.pixels.assign(static_cast<size_t>(d.width) * static_cast<size_t>(d.height) * 3, 0);
  if (palette) {
    detail::DecodePalette(file, d);
  } else {
    detail::DecodeRunLength(file, d);
  }
  return d;
}

}  // namespace reference
