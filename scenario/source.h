#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "scenario/source_opcodes.h"

namespace scenario {

// The one reader of source scenario bytes, for the translation loop and for
// DecodeSource alike: the first 65,536 bytes of a file, a length and a read
// position. Every read at or beyond the length yields 0 and a string ends at
// the length, so no operand can reach outside the file, whatever its bytes
// say. The reader keeps a view: the bytes must outlive the reads.
class Source {
 public:
  static constexpr size_t kCapacity = 65536;

  Source() = default;
  explicit Source(std::span<const uint8_t> bytes) { Load(bytes.data(), bytes.size()); }

  // Reads from `size` bytes (at most kCapacity; the rest is cut), from the
  // start.
  void Load(const uint8_t* data, size_t size);

  uint32_t Pos() const { return pos_; }
  void SetPos(uint32_t pos) { pos_ = pos; }
  uint32_t Len() const { return len_; }
  bool AtEnd() const { return pos_ >= len_; }

  // The byte at `pos`, 0 beyond the end.
  uint8_t At(uint32_t pos) const { return pos < len_ ? data_[pos] : 0; }
  uint8_t Peek() const { return At(pos_); }

  uint8_t ReadU8() { return At(pos_++); }
  uint32_t ReadU16() {
    uint32_t v = (At(pos_) << 8) | At(pos_ + 1);
    pos_ += 2;
    return v;
  }
  uint32_t ReadU24() {
    uint32_t v = (At(pos_) << 16) | (At(pos_ + 1) << 8) | At(pos_ + 2);
    pos_ += 3;
    return v;
  }
  // The zero-terminated string at the read position, without its zero; the
  // position moves behind the zero. A string cut by the end of the file ends
  // there and the position moves to the end.
  std::string_view ReadString();

  // True when another group of a list follows (op::kListEnd ends a list and
  // is consumed). A list also ends where the source ends, since bytes behind
  // it read as 0, never as the list end.
  bool NextGroup() {
    if (AtEnd()) return false;
    if (Peek() != op::kListEnd) return true;
    ReadU8();
    return false;
  }

 private:
  const uint8_t* data_ = nullptr;
  uint32_t len_ = 0;
  uint32_t pos_ = 0;
};

}  // namespace scenario
