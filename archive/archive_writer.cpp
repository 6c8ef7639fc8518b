#include "archive/archive_writer.h"

#include <fcntl.h>
#include <lzo/lzo1x.h>
#include <lzo/lzoconf.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "archive/upper_case_name.h"
#include "platform/console.h"

namespace archive {
namespace {

constexpr size_t kBufferSize = 1 << 20;

// Largest output of LZO1X for `length` input bytes.
constexpr uint64_t WorstCompressedSize(uint64_t length) { return length + length / 16 + 64 + 3; }

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAt(int fd, uint8_t* data, size_t size, uint64_t offset) {
  while (size > 0) {
    ssize_t n = pread(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

// Replaces whatever file stands at `path` by a new, empty regular file. A
// leftover FIFO or link is removed rather than opened, so creating the file
// can neither block nor write through a link; a folder of that name makes it
// fail.
int CreateFresh(const std::string& path, int mode) {
  unlink(path.c_str());
  return open(path.c_str(), mode | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
}

}  // namespace

ArchiveWriter::ArchiveWriter() : directory_(kMaxMembers) {}

ArchiveWriter::~ArchiveWriter() { CloseSpool(); }

void ArchiveWriter::CloseSpool() {
  if (spool_ >= 0) close(spool_);
  spool_ = -1;
}

bool ArchiveWriter::OpenSpool(const std::string& folder) {
  if (lzo_init() != LZO_E_OK) return false;
  buffer_.assign(kBufferSize, 0);
  workMemory_.assign(LZO1X_999_MEM_COMPRESS, 0);
  spoolPath_ = folder + "tmp.dat";
  spool_ = CreateFresh(spoolPath_, O_RDWR);
  return spool_ >= 0;
}

void ArchiveWriter::AddMember(const char* name, const uint8_t* data, size_t length) {
  if (spool_ < 0 || spoolFailed_) return;
  if (count_ >= kMaxMembers) {
    console::Printf("Warning : the archive holds at most %zu members; left out: %s\n", kMaxMembers, name);
    return;
  }
  if (length > UINT32_MAX) {
    console::Printf("Warning : member too large for the archive; left out: %s\n", name);
    return;
  }
  try {
    if (WorstCompressedSize(length) > buffer_.size()) buffer_.resize(WorstCompressedSize(length));
  } catch (const std::bad_alloc&) {
    console::Printf("Warning : not enough memory to compress the member; left out: %s\n", name);
    return;
  }

  lzo_uint packed = 0;
  int rc = lzo1x_999_compress(data, length, buffer_.data(), &packed, workMemory_.data());
  if (rc != LZO_E_OK) return;
  if (spoolSize_ + packed > UINT32_MAX) {
    console::Printf("Warning : the archive has reached its 4 GiB limit; left out: %s\n", name);
    return;
  }
  if (!WriteAll(spool_, buffer_.data(), packed)) {
    console::Printf("Error : cannot write the spool %s\n", spoolPath_.c_str());
    spoolFailed_ = true;
    return;
  }

  uint8_t* entry = directory_[count_].bytes.data();
  std::memset(entry, 0, kEntrySize);
  size_t nameLength = strnlen(name, kNameSize - 1);
  std::memcpy(entry, name, nameLength);
  UpperCaseName(reinterpret_cast<char*>(entry));
  PutU32(entry + kEntryOffsetField, static_cast<uint32_t>(spoolSize_));
  PutU32(entry + kEntryPackedField, static_cast<uint32_t>(packed));
  PutU32(entry + kEntryUnpackedField, static_cast<uint32_t>(length));
  PutU32(entry + kEntryKindField, kEntryKind);
  spoolSize_ += packed;
  ++count_;
}

bool ArchiveWriter::FinishArchive(const std::string& path, ArchiveHeader& header) {
  if (spool_ < 0) return false;

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
    console::Printf("Error : the archive %s was not written, since the spool is incomplete\n", path.c_str());
    CloseSpool();
    unlink(spoolPath_.c_str());
    return false;
  }

  const std::string tempPath = path + ".part";
  int fd = CreateFresh(tempPath, O_WRONLY);
  if (fd < 0) {
    console::Printf("Error : cannot create the archive %s\n", path.c_str());
    CloseSpool();
    return false;
  }
  bool written = WriteArchive(fd, path, header);
  if (close(fd) != 0 && written) {
    console::Printf("Error : cannot write the archive %s\n", path.c_str());
    written = false;
  }
  if (!written) {
    unlink(tempPath.c_str());
    CloseSpool();
    unlink(spoolPath_.c_str());
    return false;
  }
  if (rename(tempPath.c_str(), path.c_str()) != 0) {
    console::Printf("Error : cannot create the archive %s\n", path.c_str());
    unlink(tempPath.c_str());
    CloseSpool();
    return false;
  }
  CloseSpool();
  unlink(spoolPath_.c_str());
  return true;
}

bool ArchiveWriter::WriteArchive(int fd, const std::string& path, const ArchiveHeader& header) {
  bool ok = WriteAll(fd, header.data(), header.size());
  for (size_t i = 0; ok && i < count_; ++i) ok = WriteAll(fd, directory_[i].bytes.data(), kEntrySize);
  if (!ok) {
    console::Printf("Error : cannot write the archive %s\n", path.c_str());
    return false;
  }
  uint64_t offset = 0;
  while (offset < spoolSize_) {
    size_t chunk = static_cast<size_t>(std::min<uint64_t>(buffer_.size(), spoolSize_ - offset));
    if (!ReadAt(spool_, buffer_.data(), chunk, offset)) {
      console::Printf("Error : cannot read the spool %s\n", spoolPath_.c_str());
      return false;
    }
    if (!WriteAll(fd, buffer_.data(), chunk)) {
      console::Printf("Error : cannot write the archive %s\n", path.c_str());
      return false;
    }
    offset += chunk;
  }
  return true;
}

}  // namespace archive
