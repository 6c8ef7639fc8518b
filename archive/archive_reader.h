#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_format.h"
#include "base/translations.h"

// Reads an archive from its bytes in memory. Nothing in the file is trusted:
// every size is checked against the file's length before it is used, an
// unpacked size is checked before anything is allocated for it, and every
// failure is a value; no exception leaves the reader.
namespace archive {

// The largest unpacked size the reader decompresses.
inline constexpr uint32_t kMostUnpackedSize = uint32_t{1} << 30;

// An LZO1X stream makes fewer than 256 bytes of each of its bytes (a match's
// length grows by at most 255 per byte of its length field), so an unpacked
// size beyond this many times the packed size cannot be right.
inline constexpr uint64_t kMostExpansion = 256;

enum class ReadError : uint8_t {
  kNone,
  kShorterThanHeader,   // the file is shorter than the 64-byte header
  kDirectoryPastEnd,    // the directory the member count asks for does not fit in the file
  kNoMemory,            // memory for the directory or for a member could not be had
  kMemberPastEnd,       // a member's packed bytes lie (partly) beyond the end of the file
  kNoDecompressor,      // the LZO library failed its own start-up check
  kTooLarge,            // a member's unpacked size is above kMostUnpackedSize
  kBeyondPackedSize,    // a member's unpacked size is more than its packed bytes can make
  kCorruptStream,       // the LZO1X stream is damaged or ends early
  kBytesAfterStream,    // packed bytes follow the stream's end marker
  kLongerThanRecorded,  // the stream makes more bytes than the unpacked size
  kShorterThanRecorded  // the stream makes fewer bytes than the unpacked size
};

// A short description of the failure ("the LZO1X stream is damaged or
// ends early") in the language of `texts`.
std::string_view Describe(ReadError error, const base::Translations& texts = base::Translations());

// One directory entry, as stored.
struct Entry {
  size_t index = 0;                            // position in the directory
  std::array<uint8_t, kNameSize> nameField{};  // the name field's 16 bytes
  std::string name;                            // the name field up to its first zero
  uint32_t offset = 0;                         // from the start of the file
  uint32_t packed = 0;
  uint32_t unpacked = 0;
  uint32_t kind = 0;
};

class ArchiveReader {
 public:
  // Parses the header and the directory of `file`, which must outlive the
  // reader.
  explicit ArchiveReader(std::span<const uint8_t> file) noexcept;

  // What kept the header or the directory from being read; kNone when both
  // were.
  ReadError Error() const { return error_; }
  bool Ok() const { return error_ == ReadError::kNone; }

  std::span<const uint8_t> File() const { return file_; }
  // The member count of the header (0 when the file is shorter than it).
  size_t DeclaredCount() const { return declaredCount_; }
  // Where the data area starts: right behind the directory the count asks
  // for (whether or not that fits in the file).
  uint64_t DataStart() const { return kHeaderSize + uint64_t{kEntrySize} * declaredCount_; }
  // The directory in file order; empty unless Ok().
  const std::vector<Entry>& Entries() const { return entries_; }

  // The member's packed bytes; kMemberPastEnd when they do not lie within
  // the file.
  ReadError Packed(const Entry& entry, std::span<const uint8_t>& bytes) const noexcept;

  // Decompresses the member into `out`; see UnpackMember.
  ReadError Unpack(const Entry& entry, std::vector<uint8_t>& out) const noexcept;
  // Decompresses the member's first bytes into `out`; see
  // UnpackMemberPrefix.
  ReadError UnpackPrefix(const Entry& entry, size_t count, std::vector<uint8_t>& out,
                         uint64_t* made = nullptr) const noexcept;

 private:
  std::span<const uint8_t> file_;
  size_t declaredCount_ = 0;
  std::vector<Entry> entries_;
  ReadError error_ = ReadError::kNone;
};

// Decompresses the member of `file` that `entry` describes into `out`,
// which ends up holding exactly its unpacked size; on failure `out` is left
// empty. The memory taken follows what the stream really makes (at most
// twice that), not the unpacked size the directory claims, so a small file
// that claims a huge member takes little.
ReadError UnpackMember(std::span<const uint8_t> file, const Entry& entry, std::vector<uint8_t>& out) noexcept;

// Decompresses only the first `count` bytes of the member (all of it when
// it is shorter) into `out`: enough for a header, without the rest. Only
// those bytes are judged: a stream that is damaged, cut or too long beyond
// them is no failure here (UnpackMember finds it). Refuses what the
// directory alone tells against the member, as UnpackMember does. `made`,
// when given, receives the bytes the decompressor made on the way (at most
// a few times `count` for a sound stream).
ReadError UnpackMemberPrefix(std::span<const uint8_t> file, const Entry& entry, size_t count,
                             std::vector<uint8_t>& out, uint64_t* made = nullptr) noexcept;

// A whole archive with every member decompressed, for callers that want all
// of it at once (the tests, the benchmark). `valid` is true when the header,
// the directory and every member could be read; otherwise `error` names the
// first failure and `members` holds the members read before it.
struct ArchiveContents {
  struct Member {
    std::string name;
    uint32_t offset = 0;
    uint32_t packed = 0;
    std::vector<uint8_t> bytes;
  };

  explicit ArchiveContents(std::vector<uint8_t> file) noexcept;

  // The first member of that name, or null.
  const Member* Find(std::string_view name) const;

  std::vector<uint8_t> raw;
  std::vector<Member> members;
  bool valid = false;
  ReadError error = ReadError::kNone;
};

}  // namespace archive
