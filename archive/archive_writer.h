#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "archive/diagnostics.h"
#include "archive/file_store.h"
#include "archive/member_sink.h"

namespace archive {

// How FinishArchive ended. `errors` holds the lines to print, each with its
// line ending, in the order they belong on the console; it may be empty even
// when nothing was written (no spool was ever open).
struct FinishResult {
  bool written = false;
  std::vector<std::string> errors;
};

// Builds the archive: each member is compressed with LZO1X-999 as it arrives
// and appended to the spool "tmp.dat" in the converter's folder, while its
// directory entry stays in memory; FinishArchive sorts the directory and
// writes header, directory and spooled data to the archive file.
//
// The archive is written under a temporary name beside its final one, put on
// the disk and renamed into place only when every byte has been written, so a
// failed run never leaves a truncated archive nor destroys the one of an
// earlier run.
class ArchiveWriter final : public MemberSink {
 public:
  // Lines about single members (left out, or the spool failing on them) go
  // to `diagnostics` as they happen; the spool and the archive are made in
  // `files`. Both must outlive the writer.
  ArchiveWriter(Diagnostics& diagnostics, const FileStore& files);
  ~ArchiveWriter() override;
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  // Checks the compressor and creates the spool in `folder` (which ends in
  // the separator). False when either fails; nothing is created then.
  bool OpenSpool(const std::string& folder);

  // Compresses and spools one member. A member is left out, with a warning
  // line, when the directory is full, when it is too long for the 32-bit size
  // fields, when no memory can be had to compress it, or when the spool
  // cannot take it.
  void AddMember(const char* name, const uint8_t* data, size_t length) override;

  // Writes the archive to `path`, completing `header` with the member count.
  // Written when the archive is complete and in place; otherwise the result
  // holds the error lines and no archive file was touched. When the archive
  // cannot be created the spool stays on disk; otherwise it is removed.
  [[nodiscard]] FinishResult FinishArchive(const std::string& path, ArchiveHeader& header);

  size_t MemberCount() const { return count_; }

 private:
  struct Entry {
    std::array<uint8_t, kEntrySize> bytes;
  };

  // One member as LZO1X-999 made it; `bytes` points into the writer's
  // buffer and stays valid until the next Compress.
  struct Packed {
    enum class Status { kOk, kNoMemory, kFailed } status = Status::kFailed;
    const uint8_t* bytes = nullptr;
    size_t size = 0;
  };

  Packed Compress(const uint8_t* data, size_t length);
  // Appends the packed form of a member of `length` bytes to the spool and
  // enters it in the directory, unless the archive is full or the spool
  // fails (with a line to the diagnostics).
  void Spool(const char* name, const uint8_t* packed, size_t packedSize, size_t length);
  bool WriteArchive(WrittenFile& file, const std::string& path, const ArchiveHeader& header,
                    std::vector<std::string>& errors);
  void CloseSpool();

  Diagnostics& diagnostics_;
  const FileStore& files_;
  std::vector<Entry> directory_;
  size_t count_ = 0;
  std::vector<uint8_t> buffer_;  // compressor output; the copy buffer at the end
  std::vector<uint8_t> workMemory_;
  std::string spoolPath_;
  std::unique_ptr<WrittenFile> spool_;
  uint64_t spoolSize_ = 0;
  bool spoolFailed_ = false;
};

}  // namespace archive
