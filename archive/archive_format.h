#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Layout of the archive file: a 64-byte header, a directory of 32-byte
// entries sorted by name, then the LZO1X-compressed members in the order they
// were added. Every integer is little-endian.
namespace archive {

inline constexpr size_t kHeaderSize = 64;
inline constexpr size_t kEntrySize = 32;
inline constexpr size_t kMaxMembers = 4096;

// Header fields.
inline constexpr size_t kMagicOffset = 0;            // "KELPIX" and two zeros
inline constexpr size_t kFormatOffset = 8;           // u16 1613
inline constexpr size_t kKindOffset = 10;            // u16 2
inline constexpr size_t kCountOffset = 12;           // u16 number of entries
inline constexpr size_t kEntrySizeFieldOffset = 14;  // u16 16
inline constexpr size_t kNameSizeFieldOffset = 16;   // u16 8
inline constexpr size_t kTitleOffset = 32;           // zero-terminated, 32 bytes
inline constexpr size_t kTitleSize = 32;

// Directory entry fields.
inline constexpr size_t kNameSize = 16;  // at most 15 bytes and a zero
inline constexpr size_t kEntryOffsetField = 16;
inline constexpr size_t kEntryPackedField = 20;
inline constexpr size_t kEntryUnpackedField = 24;
inline constexpr size_t kEntryKindField = 28;
inline constexpr uint32_t kEntryKind = 2;

using ArchiveHeader = std::array<uint8_t, kHeaderSize>;

inline void PutU16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

inline uint32_t GetU16(const uint8_t* p) { return p[0] | (p[1] << 8); }

inline uint32_t GetU32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace archive
