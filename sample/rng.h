#pragma once

#include <cstdint>

namespace tools {

// A small seeded generator (splitmix64) whose sequence is the same on every
// platform, so the sample game is the same byte for byte wherever it is made.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 to n - 1 (0 when n is not positive).
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  // lo to hi, both included.
  int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Percent(int p) { return Below(100) < p; }

 private:
  uint64_t state_;
};

}  // namespace tools
