#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace member_data {

// Bytes that do not compress: LZO1X makes them longer.
inline std::vector<uint8_t> Noise(size_t size, uint32_t seed) {
  std::vector<uint8_t> out(size);
  uint32_t x = seed | 1;
  for (uint8_t& b : out) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x >> 8);
  }
  return out;
}

// Text that compresses well, with a flipped byte now and then so that no two
// members are alike.
inline std::vector<uint8_t> Text(size_t size, uint32_t seed) {
  static constexpr char kPhrase[] = "the archive keeps every member in its place; ";
  std::vector<uint8_t> out(size);
  uint32_t x = seed | 1;
  for (size_t i = 0; i < size; ++i) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    out[i] = static_cast<uint8_t>(kPhrase[i % (sizeof kPhrase - 1)] ^ (x % 89 == 0 ? 0x20 : 0));
  }
  return out;
}

}  // namespace member_data
