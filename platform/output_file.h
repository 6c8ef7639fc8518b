#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "base/file_store.h"
#include "base/translations.h"

// The files the converter writes: the spool and the archive. Every call
// reports its failure instead of ending the process; on systems that stop a
// process whose file outgrows a size limit, creating the first file turns
// that stop off, so such a write fails like any other.
// A file created here is noted for removal on an interruption
// (platform/interruption.h) until it is replaced into place or removed.
namespace platform {

// A file created fresh, written from its start and read back at any offset.
// When a call fails, LastSystemError() tells why.
class OutputFile {
 public:
  // Replaces whatever file stands at `path`, whatever kind it is, by a new,
  // empty regular file open for writing and reading: a leftover is removed,
  // never opened, so creating the file neither blocks nor writes through a
  // link. Fails when `path` names a folder or its folder cannot take the
  // file, and, without touching anything, when the file cannot be noted for
  // removal on an interruption; `why` (when given) tells which.
  static std::optional<OutputFile> Create(const std::string& path, base::CreateFailure* why = nullptr);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&& other) noexcept;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  // Closes the file if Close has not; a failure there goes unreported.
  ~OutputFile();

  // Appends all `size` bytes. False when any of them cannot be written (the
  // disk is full, the file would outgrow its size limit).
  bool Write(const uint8_t* data, size_t size);

  // Reads exactly `size` bytes starting `offset` bytes into the file. False
  // when the file holds fewer or the read fails.
  bool ReadAt(uint8_t* dest, size_t size, uint64_t offset);

  // Puts every byte written so far on the disk itself, beyond the system's
  // caches, so that it survives a power cut. False when that fails.
  bool Flush();

  // Closes the file. False when the system reports then that earlier writes
  // did not reach the file. Every other call fails afterwards.
  bool Close();

 private:
  explicit OutputFile(intptr_t handle) : handle_(handle) {}
  static constexpr intptr_t kClosed = -1;
  intptr_t handle_ = kClosed;
};

// Puts the closed file `from` in place of `to` in one step, so `to` names
// either its earlier file or the whole new one, never anything in between.
// Flush `from` before: once this returns true, the new file stays in place
// after a power cut as far as the file system can promise that. Both names
// are in the same folder. False, with both files as they were, when the file
// cannot be moved.
bool ReplaceFile(const std::string& from, const std::string& to);

// Puts the closed file `from` at `to` as ReplaceFile does, but only where
// nothing stands at `to`: the test and the move are one step, so a file
// that appears there meanwhile is never replaced. False, with both as they
// were, when something is there (a file, a folder, a link) or the file
// cannot be moved.
bool MoveToFreeName(const std::string& from, const std::string& to);

// Removes the file at `path`; false when there was none or it stays.
bool RemoveFile(const std::string& path);

// The archive writer's files on the disk, through OutputFile.
class DiskFileStore final : public base::FileStore {
 public:
  // Failures are given their reasons in the language of `texts` (which
  // outlives the store); English without it.
  DiskFileStore() = default;
  explicit DiskFileStore(const base::Translations& texts) : texts_(&texts) {}
  std::unique_ptr<base::WrittenFile> Create(const std::string& path, base::CreateFailure& why) const override;
  bool Replace(const std::string& from, const std::string& to) const override;
  bool Remove(const std::string& path) const override;
  void Keep(const std::string& path) const override;
  std::string LastReason() const override { return reason_; }

 private:
  // The reason of the failure that just happened.
  void NoteReason() const;

  const base::Translations* texts_ = nullptr;
  mutable std::string reason_;
};

}  // namespace platform
