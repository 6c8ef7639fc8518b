#include "platform/tool_files.h"

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

}  // namespace

bool ReadRegularFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t maxSize,
                     const base::Translations& texts, std::string& error) {
  bytes.clear();
  // Without O_NONBLOCK opening a FIFO would wait for a writer.
  Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.Get() < 0) {
    error = Describe(LastSystemError(), texts);
    return false;
  }
  struct stat st {};
  if (fstat(fd.Get(), &st) != 0) {
    error = Describe(LastSystemError(), texts);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? texts.Tr("is a folder") : texts.Tr("is not a regular file");
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) > maxSize) {
    error = texts.Tr("is longer than any archive can be");
    return false;
  }
  const int flags = fcntl(fd.Get(), F_GETFL);
  if (flags < 0 || fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    error = Describe(LastSystemError(), texts);
    return false;
  }
  try {
    bytes.resize(static_cast<size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    error = texts.Tr("not enough memory to read it");
    return false;
  }
  size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t n = read(fd.Get(), bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = Describe(LastSystemError(), texts);
      bytes.clear();
      return false;
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  bytes.resize(have);
  return true;
}

bool WriteFileInPlace(const std::string& path, std::span<const uint8_t> bytes,
                      const base::Translations& texts, std::string& error) {
  const std::string part = path + ".part";
  unlink(part.c_str());
  Descriptor fd(open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (fd.Get() < 0) {
    error = base::Format(texts.Tr("cannot create %s: %s"), PathForMessage(part).c_str(),
                         Describe(LastSystemError(), texts).c_str());
    return false;
  }
  if (!WriteAll(fd.Get(), bytes.data(), bytes.size()) || !fd.Close()) {
    error = base::Format(texts.Tr("cannot write %s: %s"), PathForMessage(part).c_str(),
                         Describe(LastSystemError(), texts).c_str());
    unlink(part.c_str());
    return false;
  }
  if (rename(part.c_str(), path.c_str()) != 0) {
    error = base::Format(texts.Tr("cannot rename %s to %s: %s"), PathForMessage(part).c_str(),
                         PathForMessage(path).c_str(), Describe(LastSystemError(), texts).c_str());
    unlink(part.c_str());
    return false;
  }
  return true;
}

std::unique_ptr<OutputFolder> OutputFolder::Open(const std::string& path, const base::Translations& texts,
                                                 std::string& error) {
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
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
