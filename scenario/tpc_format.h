#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Layout of a "TPC32" target scenario: a 99-byte header, then the code. The
// header is the same in every scenario but for the code length; every
// integer is little-endian and header bytes that carry no field are zero.
// Positions the file stores about itself (the code length, jump slots) are
// code offsets, counted from the first byte behind the header.
namespace scenario::tpc {

inline constexpr size_t kHeaderSize = 99;
inline constexpr std::string_view kMagic = "TPC32";
inline constexpr size_t kMagicOffset = 0;

// A u32 field that holds the same value in every scenario.
struct FixedField {
  size_t offset;
  uint32_t value;
};
inline constexpr std::array<FixedField, 4> kFixedFields = {{{40, 1}, {80, 1}, {84, 256}, {88, 65536}}};

// u32: the length of the code. It ends the header at an odd offset.
inline constexpr size_t kCodeLengthOffset = 95;

// The longest target scenario, header included.
inline constexpr size_t kMostBytes = 65536;

}  // namespace scenario::tpc
