#include "platform/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/sjis.h"
#include "platform/paths.h"

namespace platform {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (base::AsciiUpper(a[i]) != base::AsciiUpper(b[i])) return false;
  }
  return true;
}

// The entry of `folder` whose name equals `name` regardless of ASCII case,
// the first in the folder's own order; empty when there is none.
std::string FindEntryIgnoringCase(const std::string& folder, std::string_view name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string found;
  while (dirent* entry = readdir(dir)) {
    if (EqualIgnoringAsciiCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

}  // namespace

std::string ResolvePath(std::string_view path) {
  std::string whole(path);
  if (path.empty() || Exists(whole)) return whole;

  std::string resolved;
  size_t pos = 0;
  if (path.front() == kSeparator) {
    resolved = kSeparatorString;
    pos = 1;
  }
  bool resolving = true;
  while (pos <= path.size()) {
    size_t end = path.find(kSeparator, pos);
    if (end == std::string_view::npos) end = path.size();
    std::string_view component = path.substr(pos, end - pos);
    std::string name(component);
    if (resolving && !component.empty() && component != "." && component != "..") {
      if (!Exists(resolved + name)) {
        std::string match = FindEntryIgnoringCase(resolved, component);
        if (match.empty()) {
          resolving = false;  // nothing below a missing folder can exist
        } else {
          name = match;
        }
      }
    }
    resolved += name;
    if (end < path.size()) resolved += kSeparator;
    pos = end + 1;
  }
  return resolved;
}

Result<InputFile> InputFile::OpenAsWritten(const std::string& path) {
  // Without O_NONBLOCK opening a FIFO would wait for a writer.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return LastSystemError();
  struct stat st;
  if (fstat(fd, &st) != 0) {
    const SystemError error = LastSystemError();
    close(fd);
    return error;
  }
  const FileKind kind = S_ISREG(st.st_mode)   ? FileKind::kRegular
                        : S_ISDIR(st.st_mode) ? FileKind::kFolder
                                              : FileKind::kOther;
  return InputFile(fd, kind == FileKind::kRegular ? static_cast<uint64_t>(st.st_size) : 0, kind);
}

void InputFile::Close() {
  if (handle_ != kClosed) close(static_cast<int>(handle_));
  handle_ = kClosed;
}

Result<uint64_t> InputFile::ReadFromStart(uint8_t* dest, uint64_t size) {
  uint64_t done = 0;
  while (done < size) {
    const ssize_t n = pread(static_cast<int>(handle_), dest + done, size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return LastSystemError();
    if (n == 0) break;
    done += static_cast<uint64_t>(n);
  }
  return done;
}

std::optional<uint64_t> FileSize(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

bool AnythingAt(const std::string& path) { return Exists(path); }

bool SpecialFileAt(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0 &&
         (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode));
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace platform
