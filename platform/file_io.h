#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system_error.h"

namespace platform {

// Game data copied from a Windows disc may arrive with any letter case
// ("mes/", "Cg/", "prologue.sio"), while the converter builds its paths from
// fixed upper-case names. Resolves every component of `path` that does not
// exist as written to an entry of its folder with the same name regardless of
// ASCII letter case (an exact-case entry always wins). Components that cannot
// be resolved are kept as written, so opening the result fails as usual.
// Windows finds names regardless of case itself: there the path is returned
// as it is.
std::string ResolvePath(std::string_view path);

enum class FileKind { kRegular, kFolder, kOther };

// A regular file opened for reading, with its size taken at opening.
class InputFile {
 public:
  // Resolves `path` as ResolvePath does. Refuses anything that is not a
  // regular file (folders, FIFOs, devices), without blocking on a FIFO.
  static std::optional<InputFile> Open(std::string_view path);

  // Opens what `path` names, taken as written, without blocking on a FIFO:
  // a folder or anything else that is no regular file opens too, only to be
  // told apart by Kind, and is never read. The system's error when nothing
  // can be opened.
  static Result<InputFile> OpenAsWritten(const std::string& path);

  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&& other) noexcept;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  uint64_t Size() const { return size_; }
  FileKind Kind() const { return kind_; }

  // Reads up to `size` bytes from the start of the file; how many it got,
  // fewer only when the file ends first (it shrank since it was opened).
  Result<uint64_t> ReadFromStart(uint8_t* dest, uint64_t size);

  // Reads exactly `size` bytes from the start of the file; false when the
  // file delivers fewer (read error, or the file shrank).
  bool ReadAll(uint8_t* dest, uint64_t size);

 private:
  // The system's handle of the open file: a descriptor on POSIX systems.
  InputFile(intptr_t handle, uint64_t size, FileKind kind) : handle_(handle), size_(size), kind_(kind) {}
  // Closes the handle if it is open; each system has its own.
  void Close();
  static constexpr intptr_t kClosed = -1;
  intptr_t handle_ = kClosed;
  uint64_t size_ = 0;
  FileKind kind_ = FileKind::kRegular;
};

// The size in bytes of the regular file at `path` (taken as written, not
// resolved); nothing when there is no such file.
std::optional<uint64_t> FileSize(const std::string& path);

// True when `path` (taken as written) names a folder, or a link to one.
bool IsFolder(const std::string& path);

// True when anything stands at `path` (taken as written): a file, a folder,
// or a link, even one that leads nowhere.
bool AnythingAt(const std::string& path);

// True when a device, a FIFO or a socket stands at `path` (taken as
// written; a link is not followed): what a file moved to that name would
// destroy. Never on Windows, whose devices are no entries of a folder.
bool SpecialFileAt(const std::string& path);

enum class ReadStatus { kOk, kCannotOpen, kEmpty, kTooLarge, kNoMemory, kReadError };

// Reads a whole regular file into `bytes`. kEmpty for a file of length 0,
// kTooLarge (nothing read) when it is longer than `maxSize`, kNoMemory when
// its contents cannot be held in memory.
ReadStatus ReadWholeFile(std::string_view path, std::vector<uint8_t>& bytes, uint64_t maxSize = UINT64_MAX);

}  // namespace platform
