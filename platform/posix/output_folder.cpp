#include "platform/output_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "base/diagnostics.h"
#include "platform/names.h"
#include "platform/system_error.h"

namespace platform {
namespace {

// Closes the descriptor when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  // Closes now; false when closing reports an error.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const uint8_t* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The folder as a descriptor: names are opened relative to it, so the
// folder cannot be swapped for another under the run.
class PosixOutputFolder final : public OutputFolder {
 public:
  PosixOutputFolder(int fd, const base::Translations& texts) : fd_(fd), texts_(texts) {}
  ~PosixOutputFolder() override { close(fd_); }
  PosixOutputFolder(const PosixOutputFolder&) = delete;
  PosixOutputFolder& operator=(const PosixOutputFolder&) = delete;

  Written Write(const std::string& name, std::span<const uint8_t> bytes, std::string& error) override {
    const int fd = openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) return Written::kExists;
      error = Describe(LastSystemError(), texts_);
      return Written::kFailed;
    }
    bool ok = WriteAll(fd, bytes.data(), bytes.size());
    int why = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
      ok = false;
      why = errno;
    }
    if (ok) return Written::kWritten;
    unlinkat(fd_, name.c_str(), 0);
    error = Describe({why}, texts_);
    return Written::kFailed;
  }

 private:
  int fd_;
  base::Translations texts_;
};

// Creates the folder `path` and every missing folder above it, as
// "mkdir -p" does; true when it stands there afterwards (or something of
// its name does, which opening it then judges), false with errno set.
bool MakeFolders(const std::string& path) {
  if (mkdir(path.c_str(), 0777) == 0 || errno == EEXIST) return true;
  if (errno != ENOENT) return false;
  // The parent is missing: everything up to the last separator, with the
  // separators before that one left out ("a//b/" has the parent "a").
  size_t end = path.find_last_not_of('/');
  if (end == std::string::npos) return false;
  end = path.find_last_of('/', end);
  if (end == std::string::npos) return false;
  end = path.find_last_not_of('/', end);
  if (end == std::string::npos) return false;  // the root is always there
  if (!MakeFolders(path.substr(0, end + 1))) return false;
  return mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
}

}  // namespace

std::unique_ptr<OutputFolder> OutputFolder::Open(const std::string& path, const base::Translations& texts,
                                                 std::string& error) {
  if (!MakeFolders(path)) {
    error = base::Format(texts.Tr("cannot create the folder %s: %s"), PathForMessage(path).c_str(),
                         Describe(LastSystemError(), texts).c_str());
    return nullptr;
  }
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    error = base::Format(texts.Tr("cannot open the folder %s: %s"), PathForMessage(path).c_str(),
                         Describe(LastSystemError(), texts).c_str());
    return nullptr;
  }
  return std::make_unique<PosixOutputFolder>(fd, texts);
}

}  // namespace platform
