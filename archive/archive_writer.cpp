#include "archive/archive_writer.h"

#include <lzo/lzo1x.h>
#include <lzo/lzoconf.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "archive/lzo_worst_case.h"
#include "archive/upper_case_name.h"

namespace archive {
namespace {

constexpr size_t kBufferSize = 1 << 20;

}  // namespace

ArchiveWriter::ArchiveWriter(Diagnostics& diagnostics, const FileStore& files)
    : diagnostics_(diagnostics), files_(files), directory_(kMaxMembers) {}

ArchiveWriter::~ArchiveWriter() { CloseSpool(); }

void ArchiveWriter::CloseSpool() { spool_.reset(); }

bool ArchiveWriter::OpenSpool(const std::string& folder) {
  if (lzo_init() != LZO_E_OK) return false;
  buffer_.assign(kBufferSize, 0);
  workMemory_.assign(LZO1X_999_MEM_COMPRESS, 0);
  spoolPath_ = folder + "tmp.dat";
  spool_ = files_.Create(spoolPath_);
  return spool_ != nullptr;
}

void ArchiveWriter::AddMember(const char* name, const uint8_t* data, size_t length) {
  if (!spool_ || spoolFailed_) return;
  if (count_ >= kMaxMembers) {
    diagnostics_.Report("Warning : the archive holds at most %zu members; left out: %s\n", kMaxMembers, name);
    return;
  }
  if (length > UINT32_MAX) {
    diagnostics_.Report("Warning : member too large for the archive; left out: %s\n", name);
    return;
  }
  const Packed packed = Compress(data, length);
  switch (packed.status) {
    case Packed::Status::kOk:
      Spool(name, packed.bytes, packed.size, length);
      return;
    case Packed::Status::kNoMemory:
      diagnostics_.Report("Warning : not enough memory to compress the member; left out: %s\n", name);
      return;
    case Packed::Status::kFailed:
      return;
  }
}

ArchiveWriter::Packed ArchiveWriter::Compress(const uint8_t* data, size_t length) {
  Packed packed;
  // The buffer and work memory exist only once the spool is open.
  if (workMemory_.size() < LZO1X_999_MEM_COMPRESS) return packed;
  const uint64_t worst = LzoWorstCase(length);
  try {
    if (worst > buffer_.max_size()) throw std::bad_alloc();
    if (worst > buffer_.size()) buffer_.resize(static_cast<size_t>(worst));
  } catch (const std::bad_alloc&) {
    packed.status = Packed::Status::kNoMemory;
    return packed;
  }
  lzo_uint size = 0;
  if (lzo1x_999_compress(data, length, buffer_.data(), &size, workMemory_.data()) != LZO_E_OK) return packed;
  packed.status = Packed::Status::kOk;
  packed.bytes = buffer_.data();
  packed.size = size;
  return packed;
}

void ArchiveWriter::Spool(const char* name, const uint8_t* packed, size_t packedSize, size_t length) {
  if (!spool_ || spoolFailed_ || count_ >= kMaxMembers || length > UINT32_MAX) return;
  if (spoolSize_ + packedSize > UINT32_MAX) {
    diagnostics_.Report("Warning : the archive has reached its 4 GiB limit; left out: %s\n", name);
    return;
  }
  if (!spool_->Write(packed, packedSize)) {
    diagnostics_.Report("Error : cannot write the spool %s\n", spoolPath_.c_str());
    spoolFailed_ = true;
    return;
  }

  uint8_t* entry = directory_[count_].bytes.data();
  std::memset(entry, 0, kEntrySize);
  size_t nameLength = strnlen(name, kNameSize - 1);
  std::memcpy(entry, name, nameLength);
  UpperCaseName(reinterpret_cast<char*>(entry));
  PutU32(entry + kEntryOffsetField, static_cast<uint32_t>(spoolSize_));
  PutU32(entry + kEntryPackedField, static_cast<uint32_t>(packedSize));
  PutU32(entry + kEntryUnpackedField, static_cast<uint32_t>(length));
  PutU32(entry + kEntryKindField, kEntryKind);
  spoolSize_ += packedSize;
  ++count_;
}

FinishResult ArchiveWriter::FinishArchive(const std::string& path, ArchiveHeader& header) {
  FinishResult result;
  if (!spool_) return result;

  // Names compare as unsigned bytes; the zero padding makes a prefix the
  // smaller. A stable sort keeps members of the same name in their order of
  // addition.
  std::stable_sort(directory_.begin(), directory_.begin() + static_cast<ptrdiff_t>(count_),
                   [](const Entry& a, const Entry& b) {
                     return std::memcmp(a.bytes.data(), b.bytes.data(), kNameSize) < 0;
                   });
  const uint64_t dataStart = kHeaderSize + kEntrySize * count_;
  for (size_t i = 0; i < count_; ++i) {
    uint8_t* field = directory_[i].bytes.data() + kEntryOffsetField;
    PutU32(field, static_cast<uint32_t>(GetU32(field) + dataStart));
  }
  PutU16(header.data() + kCountOffset, static_cast<uint32_t>(count_));

  if (spoolFailed_) {
    result.errors.push_back(
        Format("Error : the archive %s was not written, since the spool is incomplete\n", path.c_str()));
    CloseSpool();
    files_.Remove(spoolPath_);
    return result;
  }

  const std::string tempPath = path + ".part";
  std::unique_ptr<WrittenFile> file = files_.Create(tempPath);
  if (!file) {
    result.errors.push_back(Format("Error : cannot create the archive %s\n", path.c_str()));
    CloseSpool();
    return result;
  }
  // Every byte reaches the disk before the rename, so a power cut cannot put
  // an incomplete file in place of the earlier archive.
  bool written = WriteArchive(*file, path, header, result.errors);
  if (written && !file->Flush()) {
    result.errors.push_back(Format("Error : cannot write the archive %s\n", path.c_str()));
    written = false;
  }
  if (!file->Close() && written) {
    result.errors.push_back(Format("Error : cannot write the archive %s\n", path.c_str()));
    written = false;
  }
  if (!written) {
    files_.Remove(tempPath);
    CloseSpool();
    files_.Remove(spoolPath_);
    return result;
  }
  if (!files_.Replace(tempPath, path)) {
    result.errors.push_back(Format("Error : cannot create the archive %s\n", path.c_str()));
    files_.Remove(tempPath);
    CloseSpool();
    return result;
  }
  CloseSpool();
  files_.Remove(spoolPath_);
  result.written = true;
  return result;
}

bool ArchiveWriter::WriteArchive(WrittenFile& file, const std::string& path,
                                 const ArchiveHeader& header, std::vector<std::string>& errors) {
  bool ok = file.Write(header.data(), header.size());
  for (size_t i = 0; ok && i < count_; ++i) ok = file.Write(directory_[i].bytes.data(), kEntrySize);
  if (!ok) {
    errors.push_back(Format("Error : cannot write the archive %s\n", path.c_str()));
    return false;
  }
  uint64_t offset = 0;
  while (offset < spoolSize_) {
    size_t chunk = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), spoolSize_ - offset));
    if (!spool_->ReadAt(buffer_.data(), chunk, offset)) {
      errors.push_back(Format("Error : cannot read the spool %s\n", spoolPath_.c_str()));
      return false;
    }
    if (!file.Write(buffer_.data(), chunk)) {
      errors.push_back(Format("Error : cannot write the archive %s\n", path.c_str()));
      return false;
    }
    offset += chunk;
  }
  return true;
}

}  // namespace archive
