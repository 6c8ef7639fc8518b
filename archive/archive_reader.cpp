#include "archive/archive_reader.h"

#include <lzo/lzo1x.h>
#include <lzo/lzoconf.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace archive {

std::string_view Describe(ReadError error, const base::Translations& texts) {
  switch (error) {
    case ReadError::kNone:
      return texts.Tr("no error");
    case ReadError::kNoDecompressor:
      return texts.Tr("the LZO library failed its start-up check");
    case ReadError::kShorterThanHeader:
      return texts.Tr("the file is shorter than the 64-byte header");
    case ReadError::kDirectoryPastEnd:
      return texts.Tr("the directory of the member count does not fit in the file");
    case ReadError::kNoMemory:
      return texts.Tr("not enough memory");
    case ReadError::kMemberPastEnd:
      return texts.Tr("the packed bytes lie beyond the end of the file");
    case ReadError::kTooLarge:
      return texts.Tr("the unpacked size is above 1 GiB");
    case ReadError::kBeyondPackedSize:
      return texts.Tr("the unpacked size is more than LZO1X can make of the packed bytes");
    case ReadError::kCorruptStream:
      return texts.Tr("the LZO1X stream is damaged or ends early");
    case ReadError::kBytesAfterStream:
      return texts.Tr("packed bytes follow the end of the LZO1X stream");
    case ReadError::kLongerThanRecorded:
      return texts.Tr("the LZO1X stream makes more bytes than the unpacked size");
    case ReadError::kShorterThanRecorded:
      return texts.Tr("the LZO1X stream makes fewer bytes than the unpacked size");
  }
  return texts.Tr("unknown error");
}

ArchiveReader::ArchiveReader(std::span<const uint8_t> file) noexcept : file_(file) {
  if (file_.size() < kHeaderSize) {
    error_ = ReadError::kShorterThanHeader;
    return;
  }
  declaredCount_ = base::GetU16(file_.data() + kCountOffset);
  if (DataStart() > file_.size()) {
    error_ = ReadError::kDirectoryPastEnd;
    return;
  }
  try {
    entries_.resize(declaredCount_);
    for (size_t i = 0; i < declaredCount_; ++i) {
      const uint8_t* field = file_.data() + kHeaderSize + kEntrySize * i;
      Entry& e = entries_[i];
      e.index = i;
      std::copy_n(field, kNameSize, e.nameField.begin());
      e.name.assign(reinterpret_cast<const char*>(field),
                    strnlen(reinterpret_cast<const char*>(field), kNameSize));
      e.offset = base::GetU32(field + kEntryOffsetField);
      e.packed = base::GetU32(field + kEntryPackedField);
      e.unpacked = base::GetU32(field + kEntryUnpackedField);
      e.kind = base::GetU32(field + kEntryKindField);
    }
  } catch (const std::bad_alloc&) {
    entries_.clear();
    error_ = ReadError::kNoMemory;
  }
}

ReadError ArchiveReader::Packed(const Entry& entry, std::span<const uint8_t>& bytes) const noexcept {
  bytes = {};
  if (uint64_t{entry.offset} + entry.packed > file_.size()) return ReadError::kMemberPastEnd;
  bytes = file_.subspan(entry.offset, entry.packed);
  return ReadError::kNone;
}

ReadError ArchiveReader::Unpack(const Entry& entry, std::vector<uint8_t>& out) const noexcept {
  return UnpackMember(file_, entry, out);
}

ReadError ArchiveReader::UnpackPrefix(const Entry& entry, size_t count, std::vector<uint8_t>& out,
                                      uint64_t* made) const noexcept {
  return UnpackMemberPrefix(file_, entry, count, out, made);
}

namespace {

// The first buffer a whole member is decompressed into, and the first one a
// member's first bytes are: most members fit the one, every header the
// other.
constexpr size_t kFirstCapacity = size_t{1} << 20;
constexpr size_t kFirstPrefixCapacity = size_t{4} << 10;

// Decompresses the stream of `entry` into `out` until `want` bytes (at most
// its unpacked size) are had. The safe decompressor writes nothing beyond
// the buffer it is given and stops at the first instruction that would: it
// returns LZO_E_OUTPUT_OVERRUN with the bytes made so far, which are the
// member's first bytes. So the buffer starts small and doubles, the stream
// decompressed again each time, up to the unpacked size: the memory taken
// is at most twice what the stream really makes (the directory's word for
// it is not trusted), and the work at most twice that too.
//
// With `whole`, the member must be exactly its unpacked size, and every
// fault of the stream is one; otherwise only the first `want` bytes are
// judged, and whatever follows them (damage, a wrong length) is no failure.
ReadError Decompress(std::span<const uint8_t> packed, uint32_t unpacked, size_t want, bool whole,
                     std::vector<uint8_t>& out, uint64_t& made) noexcept {
  if (!whole && want == 0) return ReadError::kNone;
  size_t capacity = std::min<size_t>(unpacked, whole ? kFirstCapacity : std::max(want, kFirstPrefixCapacity));
  for (;;) {
    try {
      out.resize(capacity);
    } catch (const std::bad_alloc&) {
      return ReadError::kNoMemory;
    }
    // An empty member still needs somewhere to point at.
    uint8_t none = 0;
    uint8_t* target = out.empty() ? &none : out.data();
    lzo_uint length = capacity;
    const int rc = lzo1x_decompress_safe(packed.data(), packed.size(), target, &length, nullptr);
    made += length;
    if (!whole && length >= want) {
      out.resize(want);
      return ReadError::kNone;
    }
    if (rc == LZO_E_OUTPUT_OVERRUN && capacity < unpacked) {
      // Whatever is in the buffer is made again: let it go before the
      // larger one is taken.
      std::vector<uint8_t>().swap(out);
      capacity = static_cast<size_t>(std::min<uint64_t>(unpacked, uint64_t{capacity} * 2));
      continue;
    }
    if (rc == LZO_E_OUTPUT_OVERRUN) return ReadError::kLongerThanRecorded;
    if (rc == LZO_E_INPUT_NOT_CONSUMED) return ReadError::kBytesAfterStream;
    if (rc != LZO_E_OK) return ReadError::kCorruptStream;
    if (length != unpacked) return ReadError::kShorterThanRecorded;
    return ReadError::kNone;
  }
}

// What the directory alone tells against the member, before any work.
ReadError Refusal(std::span<const uint8_t> file, const Entry& entry) noexcept {
  if (uint64_t{entry.offset} + entry.packed > file.size()) return ReadError::kMemberPastEnd;
  if (entry.unpacked > kMostUnpackedSize) return ReadError::kTooLarge;
  if (entry.unpacked > kMostExpansion * entry.packed) return ReadError::kBeyondPackedSize;
  if (lzo_init() != LZO_E_OK) return ReadError::kNoDecompressor;
  return ReadError::kNone;
}

}  // namespace

ReadError UnpackMember(std::span<const uint8_t> file, const Entry& entry,
                       std::vector<uint8_t>& out) noexcept {
  out.clear();
  if (const ReadError refused = Refusal(file, entry); refused != ReadError::kNone) return refused;
  uint64_t made = 0;
  const ReadError result =
      Decompress(file.subspan(entry.offset, entry.packed), entry.unpacked, entry.unpacked, true, out, made);
  if (result != ReadError::kNone) out.clear();
  return result;
}

ReadError UnpackMemberPrefix(std::span<const uint8_t> file, const Entry& entry, size_t count,
                             std::vector<uint8_t>& out, uint64_t* made) noexcept {
  out.clear();
  uint64_t work = 0;
  ReadError result = Refusal(file, entry);
  if (result == ReadError::kNone) {
    result = Decompress(file.subspan(entry.offset, entry.packed), entry.unpacked,
                        std::min<size_t>(count, entry.unpacked), false, out, work);
  }
  if (made != nullptr) *made = work;
  if (result != ReadError::kNone) out.clear();
  return result;
}

ArchiveContents::ArchiveContents(std::vector<uint8_t> file) noexcept : raw(std::move(file)) {
  const ArchiveReader reader(raw);
  error = reader.Error();
  if (!reader.Ok()) return;
  try {
    members.reserve(reader.Entries().size());
    for (const Entry& entry : reader.Entries()) {
      Member m;
      m.name = entry.name;
      m.offset = entry.offset;
      m.packed = entry.packed;
      error = reader.Unpack(entry, m.bytes);
      if (error != ReadError::kNone) return;
      members.push_back(std::move(m));
    }
  } catch (const std::bad_alloc&) {
    error = ReadError::kNoMemory;
    return;
  }
  valid = true;
}

const ArchiveContents::Member* ArchiveContents::Find(std::string_view name) const {
  for (const Member& m : members) {
    if (m.name == name) return &m;
  }
  return nullptr;
}

}  // namespace archive
