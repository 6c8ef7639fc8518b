#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/byte_order.h"
#include "base/sjis.h"

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

// The name a member is stored under: `name` upper-cased and cut to the
// bytes an entry holds, never inside a double-byte character (a name that
// would end in a lone first byte loses that byte too).
inline std::string StoredName(std::string_view name) {
  std::string stored(name.substr(0, base::WholeCharacterLength(name, kNameSize - 1)));
  base::UpperCaseName(stored);
  return stored;
}

using ArchiveHeader = std::array<uint8_t, kHeaderSize>;

}  // namespace archive
