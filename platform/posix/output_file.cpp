#include "platform/output_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>

#include "platform/file_io.h"
#include "platform/interruption.h"

namespace platform {
namespace {

// The most one write or read call is asked to move; Linux moves at most
// about 2 GiB per call anyway.
constexpr size_t kMostPerCall = size_t{1} << 30;

int Fd(intptr_t handle) { return static_cast<int>(handle); }

// A write that would take a file beyond the process's file-size limit stops
// the process with SIGXFSZ unless that signal is ignored; ignored, the write
// fails with EFBIG, which the caller reports. A handler the process chose
// itself is left alone.
void LetOversizedWritesFail() {
  struct sigaction current {};
  if (sigaction(SIGXFSZ, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, nullptr);
}

// The folder holding `path`: everything before its last separator.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// True when the regular file at `path` is held under the lock another
// run's OutputFile takes. Only a regular file is opened to ask.
bool HeldByAnotherRun(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);
  return held;
}

}  // namespace

std::optional<OutputFile> OutputFile::Create(const std::string& path, base::CreateFailure* why) {
  // Noted before it exists, so an interruption at any moment from here on
  // removes it; whatever stood there was about to be removed anyway. A file
  // an interruption could not remove is not made at all.
  if (!NoteCreatedFile(path)) {
    if (why) *why = base::CreateFailure::kCannotTrack;
    return std::nullopt;
  }
  LetOversizedWritesFail();
  // A file another run is writing stays its own: two runs into one folder
  // never share a spool. The new file is held the same way until closed.
  if (HeldByAnotherRun(path)) {
    ForgetCreatedFile(path);
    if (why) *why = base::CreateFailure::kInUse;
    errno = EWOULDBLOCK;
    return std::nullopt;
  }
  // unlink removes a file, a link (not its target) or a FIFO and fails on a
  // folder, which O_EXCL then refuses; O_NOFOLLOW also refuses a link made
  // in between.
  const int unlinkError = unlink(path.c_str()) == 0 ? 0 : errno;
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    // The reason, for the caller (LastSystemError): what stands there and
    // stays (a folder) tells more than that something does.
    const int error = errno == EEXIST && unlinkError != 0 && unlinkError != ENOENT ? unlinkError : errno;
    ForgetCreatedFile(path);
    if (why) *why = base::CreateFailure::kCannotCreate;
    errno = error;
    return std::nullopt;
  }
  // A file system without locks still gives the file.
  flock(fd, LOCK_EX | LOCK_NB);
  return OutputFile(fd);
}

bool OutputFile::Write(const uint8_t* data, size_t size) {
  if (handle_ == kClosed) return false;
  while (size > 0) {
    const ssize_t n = write(Fd(handle_), data, std::min(size, kMostPerCall));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool OutputFile::ReadAt(uint8_t* dest, size_t size, uint64_t offset) {
  if (handle_ == kClosed) return false;
  // Every byte asked for must lie at an offset off_t can hold.
  constexpr uint64_t kMostOffset = static_cast<uint64_t>(INT64_MAX);
  if (offset > kMostOffset || size > kMostOffset - offset) return false;
  while (size > 0) {
    const ssize_t n = pread(Fd(handle_), dest, std::min(size, kMostPerCall), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    dest += n;
    size -= static_cast<size_t>(n);
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

bool OutputFile::Flush() {
  if (handle_ == kClosed) return false;
  int rc;
  do {
    rc = fsync(Fd(handle_));
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

bool OutputFile::Close() {
  if (handle_ == kClosed) return false;
  // The descriptor is gone whatever close returns; it is never retried.
  const int rc = close(Fd(handle_));
  handle_ = kClosed;
  return rc == 0;
}

namespace {

// After `from` has been put at `to`: an interruption must keep it, and the
// new name, which lives in the folder's own data, is synced too, so the move
// itself survives a power cut. A file system that cannot sync folders keeps
// the move as durable as it makes any; it is done either way.
void PutInPlace(const std::string& from, const std::string& to) {
  ForgetCreatedFile(from);
  NoteFileReplaced();
  const int folder = open(FolderOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    while (fsync(folder) != 0 && errno == EINTR) {
    }
    close(folder);
  }
}

}  // namespace

bool ReplaceFile(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return false;
  PutInPlace(from, to);
  return true;
}

bool MoveToFreeName(const std::string& from, const std::string& to) {
  // A second name for the file fails, in one step, where anything stands at
  // `to`; the first name then goes.
  if (link(from.c_str(), to.c_str()) == 0) {
    unlink(from.c_str());
    PutInPlace(from, to);
    return true;
  }
  // A file system without hard links (FAT, some network ones) is left the
  // test before the move.
  if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) return false;
  if (AnythingAt(to)) {
    errno = EEXIST;
    return false;
  }
  return ReplaceFile(from, to);
}

bool RemoveFile(const std::string& path) {
  const bool removed = unlink(path.c_str()) == 0;
  if (removed || errno == ENOENT) ForgetCreatedFile(path);
  return removed;
}

}  // namespace platform
