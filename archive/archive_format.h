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
inline constexpr size_t kMagicOffset = 0;            // kMagic
inline constexpr size_t kFormatOffset = 8;           // u16 kFormatWord
inline constexpr size_t kKindOffset = 10;            // u16 kKindWord
inline constexpr size_t kCountOffset = 12;           // u16 number of entries
inline constexpr size_t kEntrySizeFieldOffset = 14;  // u16 kEntrySizeWord
inline constexpr size_t kNameSizeFieldOffset = 16;   // u16 kNameSizeWord
inline constexpr size_t kReservedOffset = 18;        // zero up to the title
inline constexpr size_t kTitleOffset = 32;           // kTitle, zero-terminated and zero-padded
inline constexpr size_t kTitleSize = 32;
inline constexpr size_t kReservedSize = kTitleOffset - kReservedOffset;

// The fixed values of the header. What the four words mean is the
// interpreter's business; the archive holds them as it expects them.
inline constexpr std::string_view kMagic{"KELPIX\0\0", 8};  // six letters, their zero and one more
inline constexpr uint16_t kFormatWord = 1613;
inline constexpr uint16_t kKindWord = 2;
inline constexpr uint16_t kEntrySizeWord = 16;
inline constexpr uint16_t kNameSizeWord = 8;
// The game's title in Shift-JIS: キルナート.
inline constexpr std::string_view kTitle = "\x83L\x83\x8B\x83i\x81[\x83g";
static_assert(kTitle.size() < kTitleSize);

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

// The header of every archive, its member count aside (zero here; the
// writer sets it with SetMemberCount). The one place the header is built:
// the converter writes it, and verify compares an archive's with it.
constexpr ArchiveHeader MakeHeader() {
  ArchiveHeader header{};
  const auto put = [&header](size_t offset, std::string_view bytes) {
    for (size_t i = 0; i < bytes.size(); ++i) header[offset + i] = static_cast<uint8_t>(bytes[i]);
  };
  const auto putWord = [&header](size_t offset, uint16_t value) {
    header[offset] = static_cast<uint8_t>(value);
    header[offset + 1] = static_cast<uint8_t>(value >> 8);
  };
  put(kMagicOffset, kMagic);
  putWord(kFormatOffset, kFormatWord);
  putWord(kKindOffset, kKindWord);
  putWord(kEntrySizeFieldOffset, kEntrySizeWord);
  putWord(kNameSizeFieldOffset, kNameSizeWord);
  put(kTitleOffset, kTitle);
  return header;
}

inline void SetMemberCount(ArchiveHeader& header, uint16_t count) {
  base::PutU16(header.data() + kCountOffset, count);
}

}  // namespace archive
