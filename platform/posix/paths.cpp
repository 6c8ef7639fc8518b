#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/arguments.h"

namespace platform {

std::string ExecutableFolder() {
  std::vector<char> buf(PATH_MAX + 1);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buf.size()) {
      std::string path(buf.data(), static_cast<size_t>(n));
      return path.substr(0, NamePartStart(path));
    }
    buf.resize(buf.size() * 2);
  }
}

std::string WorkingFolder() {
  std::vector<char> buf(PATH_MAX + 1);
  for (;;) {
    if (getcwd(buf.data(), buf.size()) != nullptr) {
      std::string folder(buf.data());
      if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
      return folder;
    }
    if (errno != ERANGE) return {};
    buf.resize(buf.size() * 2);
  }
}

std::optional<std::string> FullFolderPath(std::string_view folder) {
  if (folder.empty()) return std::nullopt;
  std::string path(folder);
  if (path.back() != kSeparator) path += kSeparator;
  return path;
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat first {};
  struct stat second {};
  return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && S_ISDIR(first.st_mode) &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  if (argc < 1) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace platform
