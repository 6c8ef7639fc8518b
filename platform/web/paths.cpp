#include "platform/paths.h"

#include <sys/stat.h>

#include "platform/arguments.h"

namespace platform {

// The page names every folder itself: the converter has no folder of its own.
std::string ExecutableFolder() { return {}; }
std::string WorkingFolder() { return {}; }

// The worker's paths are full already: "/game", "/data", "/out".
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
