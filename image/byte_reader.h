#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "base/byte_order.h"

namespace image {

// A cursor over the bytes of one loaded picture file: the bytes, the end of
// what it may read and its position. Every read compares the bytes it needs
// with that end in 64-bit arithmetic before touching them, so no position or
// count that the file's own fields produce can make it read outside the file.
// A read that does not fit returns nothing and leaves the position as it was.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes, uint64_t pos = 0)
      : bytes_(bytes), end_(bytes.size()), pos_(pos) {}

  // The same reader with its end lowered to `end` (never raised past the bytes).
  ByteReader EndingAt(uint64_t end) const {
    ByteReader r = *this;
    if (end < r.end_) r.end_ = end;
    return r;
  }

  uint64_t Pos() const { return pos_; }
  bool AtEnd() const { return pos_ >= end_; }

  // The `count` bytes at `offset`, or nullptr unless they lie wholly inside.
  const uint8_t* At(uint64_t offset, uint64_t count) const {
    if (count == 0 || offset > end_ || count > end_ - offset) return nullptr;
    return bytes_.data() + offset;
  }

  // The next `count` bytes, moving past them; nullptr when fewer remain.
  const uint8_t* Take(uint64_t count) {
    const uint8_t* p = At(pos_, count);
    if (p) pos_ += count;
    return p;
  }

  std::optional<uint8_t> U8() {
    const uint8_t* p = Take(1);
    if (!p) return std::nullopt;
    return *p;
  }

  std::optional<uint32_t> U16le() {
    const uint8_t* p = Take(2);
    if (!p) return std::nullopt;
    return base::GetU16(p);
  }

  std::optional<uint32_t> U32le() {
    const uint8_t* p = Take(4);
    if (!p) return std::nullopt;
    return base::GetU32(p);
  }

 private:
  std::span<const uint8_t> bytes_;
  uint64_t end_;
  uint64_t pos_;
};

}  // namespace image
