#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_format.h"
#include "archive/compression_pipeline.h"
#include "archive/compressor.h"
#include "base/diagnostics.h"
#include "base/file_store.h"
#include "base/member_sink.h"

namespace archive {

// How FinishArchive ended. `errors` holds the lines to print, each with its
// line ending, in the order they belong on the console; it may be empty even
// when nothing was written (no spool was ever open).
struct FinishResult {
  bool written = false;
  std::vector<std::string> errors;
};

// Builds the archive: each member is compressed with LZO1X-999 and appended
// to the spool "tmp.dat" in the converter's folder, while its directory entry
// stays in memory; FinishArchive sorts the directory and writes header,
// directory and spooled data to the archive file.
//
// With more than one worker, members are compressed side by side on worker
// threads while the caller goes on making the next ones; the calling thread
// alone appends them to the spool and enters them in the directory, strictly
// in their order of addition, so the archive is byte for byte the one a
// single worker writes. The same thread alone reports lines, and in the order
// a single worker reports them: a line known only once its member is
// compressed (no memory, the 4 GiB limit, the spool failing) comes at the
// latest at the next AddMember that reports a line or at FinishArchive, and
// lines reported through OrderedDiagnostics() wait behind the members added
// before them.
//
// The archive is written under a temporary name beside its final one, put on
// the disk and renamed into place only when every byte has been written, so a
// failed run never leaves a truncated archive nor destroys the one of an
// earlier run.
class ArchiveWriter final : public base::MemberSink {
 public:
  // Lines about single members (left out, or the spool failing on them) go
  // to `diagnostics`; the spool and the archive are made in `files`. Both
  // must outlive the writer. `workers` threads compress the members: 0 means
  // DefaultWorkers(), 1 compresses each member in the calling thread while
  // AddMember runs.
  ArchiveWriter(base::Diagnostics& diagnostics, const base::FileStore& files, unsigned workers = 0);
  // Joins the workers: members still being compressed are finished, the
  // others dropped, and none of them is reported.
  ~ArchiveWriter() override;
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  // One per processor the system has (std::thread::hardware_concurrency),
  // at least 1.
  static unsigned DefaultWorkers();
  // The spool's name in the folder OpenSpool is given.
  static constexpr std::string_view kSpoolName = "tmp.dat";
  // The number of workers asked for, 0 resolved.
  unsigned Workers() const { return workers_; }

  // Checks the compressor, creates the spool in `folder` (which ends in the
  // separator) and starts the workers. False when the compressor or the
  // spool fails; nothing is created then. A spool that could not be noted
  // for removal on an interruption is not created, with an error line.
  bool OpenSpool(const std::string& folder);

  // Compresses and spools one member. A member is left out, with a warning
  // line, when the directory is full, when it is too long for the 32-bit size
  // fields, when no memory can be had to compress it, when the compressor
  // fails on it, or when the spool cannot take it. Waits for the oldest member in flight when there are
  // already as many as the writer holds.
  void AddMember(const char* name, const uint8_t* data, size_t length) override;
  void AddMember(std::string name, std::vector<uint8_t>&& bytes) override;

  // A sink for the lines of whoever makes the members: each line goes to the
  // writer's diagnostics behind everything the members added before it have
  // to report, as a single worker would order them.
  base::Diagnostics& OrderedDiagnostics() { return ordered_; }

  // Writes the archive to `path`, completing `header` with the member count.
  // Every member and line still in flight is reported to the diagnostics
  // first. Written when the archive is complete and in place; otherwise the
  // result holds the error lines and no archive file was touched. When the
  // archive cannot be created the spool stays on disk; otherwise it is
  // removed.
  [[nodiscard]] FinishResult FinishArchive(const std::string& path, ArchiveHeader& header);

  // The members in the directory, once those in flight are settled.
  size_t MemberCount();

 private:
  struct Entry {
    std::array<uint8_t, kEntrySize> bytes;
  };

  class Ordered final : public base::Diagnostics {
   public:
    explicit Ordered(ArchiveWriter& writer) : writer_(writer) {}
    void Line(std::string_view sjis) override { writer_.OrderedLine(sjis); }
    const char* Translate(const char* english) const override __attribute__((format_arg(2))) {
      return writer_.diagnostics_.Translate(english);
    }

   private:
    ArchiveWriter& writer_;
  };

  // Whether a member of `length` bytes is taken in; reports it left out
  // when the directory is full or it is too long.
  bool Admit(const char* name, size_t length);
  void Enqueue(std::string name, std::vector<uint8_t> bytes);
  // Spools a compressed member, or reports why it is left out.
  void Settle(const char* name, const Compressor::Packed& packed, size_t length);
  // Settles the oldest members in flight: those already compressed, or all.
  void SettleCompleted();
  void SettleAll();
  void SettleOldest(CompressionPipeline::Member& member);
  void OrderedLine(std::string_view sjis);
  // Appends the packed form of a member of `length` bytes to the spool and
  // enters it in the directory, unless the archive is full or the spool
  // fails (with a line to the diagnostics).
  void Spool(const char* name, const uint8_t* packed, size_t packedSize, size_t length);
  bool WriteArchive(base::WrittenFile& file, const std::string& path, const ArchiveHeader& header,
                    std::vector<std::string>& errors);
  void CloseSpool();
  // Closes the spool and leaves it on the disk on purpose.
  void KeepSpool();

  base::Diagnostics& diagnostics_;
  const base::FileStore& files_;
  const unsigned workers_;
  Ordered ordered_{*this};
  std::vector<Entry> directory_;
  size_t count_ = 0;
  // Compresses when there is one worker; its buffer is the copy buffer at
  // the end.
  Compressor compressor_;
  std::unique_ptr<CompressionPipeline> pipeline_;  // with more than one worker, while the spool is open
  std::string spoolPath_;
  std::unique_ptr<base::WrittenFile> spool_;
  uint64_t spoolSize_ = 0;
  bool spoolFailed_ = false;
};

}  // namespace archive
