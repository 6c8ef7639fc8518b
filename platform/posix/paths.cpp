#include "platform/paths.h"

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

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  if (argc < 1) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace platform
