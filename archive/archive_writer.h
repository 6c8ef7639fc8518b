#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "archive/member_sink.h"

namespace archive {

// Builds the archive: each member is compressed with LZO1X-999 as it arrives
// and appended to the spool "tmp.dat" in the converter's folder, while its
// directory entry stays in memory; FinishArchive sorts the directory and
// writes header, directory and spooled data to the archive file.
//
// The archive is written under a temporary name beside its final one and
// renamed into place only when every byte has been written, so a failed run
// never leaves a truncated archive nor destroys the one of an earlier run.
class ArchiveWriter final : public MemberSink {
 public:
  ArchiveWriter();
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
  // True when the archive is complete and in place; otherwise an error line
  // has been printed and no archive file was touched. When the archive cannot
  // be created the spool stays on disk; otherwise it is removed.
  bool FinishArchive(const std::string& path, ArchiveHeader& header);

  size_t MemberCount() const { return count_; }

 private:
  struct Entry {
    std::array<uint8_t, kEntrySize> bytes;
  };

  bool WriteArchive(int fd, const std::string& path, const ArchiveHeader& header);
  void CloseSpool();

  std::vector<Entry> directory_;
  size_t count_ = 0;
  std::vector<uint8_t> buffer_;  // compressor output; the copy buffer at the end
  std::vector<uint8_t> workMemory_;
  std::string spoolPath_;
  int spool_ = -1;
  uint64_t spoolSize_ = 0;
  bool spoolFailed_ = false;
};

}  // namespace archive
