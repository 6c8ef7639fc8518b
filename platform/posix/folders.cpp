// Folders by their paths, on a POSIX file system: the page's too, whose C
// library mounts the chosen folders as one.
#include <sys/stat.h>

#include "platform/paths.h"

namespace platform {

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

}  // namespace platform
