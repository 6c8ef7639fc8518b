#include "avdtool/archive_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace avdtool {
namespace {

std::string Reason(int error) { return std::strerror(error); }

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

}  // namespace

bool ReadArchiveFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
  bytes.clear();
  // Without O_NONBLOCK opening a FIFO would wait for a writer.
  Descriptor fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.Get() < 0) {
    error = Reason(errno);
    return false;
  }
  struct stat st {};
  if (fstat(fd.Get(), &st) != 0) {
    error = Reason(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = S_ISDIR(st.st_mode) ? "is a folder" : "is not a regular file";
    return false;
  }
  if (static_cast<uint64_t>(st.st_size) > kMostArchiveSize) {
    error = "is longer than any archive can be";
    return false;
  }
  const int flags = fcntl(fd.Get(), F_GETFL);
  if (flags < 0 || fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
    error = Reason(errno);
    return false;
  }
  try {
    bytes.resize(static_cast<size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read it";
    return false;
  }
  // The file may change while it is read: what is there up to its length at
  // the start is taken, a file that shrinks meanwhile is cut to what was read.
  size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t n = read(fd.Get(), bytes.data() + have, bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = Reason(errno);
      bytes.clear();
      return false;
    }
    if (n == 0) break;
    have += static_cast<size_t>(n);
  }
  bytes.resize(have);
  return true;
}

bool WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string& error) {
  const std::string part = path + ".part";
  unlink(part.c_str());
  Descriptor fd(open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
  if (fd.Get() < 0) {
    error = "cannot create " + part + ": " + Reason(errno);
    return false;
  }
  const uint8_t* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = write(fd.Get(), data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = "cannot write " + part + ": " + Reason(n < 0 ? errno : ENOSPC);
      unlink(part.c_str());
      return false;
    }
    data += n;
    left -= static_cast<size_t>(n);
  }
  if (!fd.Close()) {
    error = "cannot write " + part + ": " + Reason(errno);
    unlink(part.c_str());
    return false;
  }
  if (rename(part.c_str(), path.c_str()) != 0) {
    error = "cannot rename " + part + " to " + path + ": " + Reason(errno);
    unlink(part.c_str());
    return false;
  }
  return true;
}

}  // namespace avdtool
