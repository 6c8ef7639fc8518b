#pragma once

#include <cstdint>

namespace archive {

// The most bytes LZO1X can make of `length` input bytes: input that does not
// compress grows by a sixteenth and a few bytes of framing. Does not
// overflow for any `length` below 2^63.
constexpr uint64_t LzoWorstCase(uint64_t length) { return length + length / 16 + 64 + 3; }

}  // namespace archive
