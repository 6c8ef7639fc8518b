#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// The files the archive writer writes, the spool and the archive, as the
// platform provides them. Every call reports its failure instead of ending
// the process.
namespace base {

// A file created fresh, written from its start and read back at any offset.
class WrittenFile {
 public:
  virtual ~WrittenFile() = default;
  // Appends all `size` bytes; false when any of them cannot be written.
  virtual bool Write(const uint8_t* data, size_t size) = 0;
  // Reads exactly `size` bytes from `offset`; false when fewer can be had.
  virtual bool ReadAt(uint8_t* dest, size_t size, uint64_t offset) = 0;
  // Puts every byte written so far on the disk itself; false when that fails.
  virtual bool Flush() = 0;
  // Closes the file; false when earlier writes turn out not to have landed.
  virtual bool Close() = 0;
};

// Why FileStore::Create gave no file.
enum class CreateFailure {
  kCannotCreate,  // the system refused it: no such folder, a folder of that name, no room, no right
  kCannotTrack,   // it could not be noted for removal on an interruption, so it was not created
  kInUse,         // another run (or program) holds the file there: left as it is
};

class FileStore {
 public:
  virtual ~FileStore() = default;
  // A new, empty file in place of whatever stands at `path` (never opened
  // through a link or FIFO); null when it cannot be created, with the reason
  // in `why`.
  virtual std::unique_ptr<WrittenFile> Create(const std::string& path, CreateFailure& why) const = 0;
  // Puts the closed, flushed file `from` in place of `to` in one step.
  virtual bool Replace(const std::string& from, const std::string& to) const = 0;
  virtual bool Remove(const std::string& path) const = 0;
  // The created file at `path` stays on the disk on purpose: an
  // interruption no longer removes it.
  virtual void Keep(const std::string& path) const { (void)path; }
  // Why the last Create or Replace that failed did, in the user's words for
  // a line; empty when the store has no reason to give.
  virtual std::string LastReason() const { return {}; }
};

}  // namespace base
