// Folders by their paths, on a POSIX file system: the page's too, whose C
// library mounts the chosen folders as one.
#include <sys/stat.h>

#include <optional>

#include "platform/paths.h"

namespace platform {

std::optional<std::string> FullFolderPath(std::string_view folder) {
  if (folder.empty()) return std::nullopt;
  std::string path(folder);
  if (path.back() != kSeparator) path += kSeparator;
  return path;
}

namespace {

// The file at `path` by what tells it from every other, whatever its path.
std::optional<struct stat> Identity(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return info;
}

bool SameIdentity(const std::optional<struct stat>& a, const std::optional<struct stat>& b) {
  return a && b && a->st_dev == b->st_dev && a->st_ino == b->st_ino;
}

}  // namespace

bool SameFolder(const std::string& a, const std::string& b) {
  const std::optional<struct stat> first = Identity(a);
  return first && S_ISDIR(first->st_mode) && SameIdentity(first, Identity(b));
}

bool SameFile(const std::string& a, const std::string& b) { return SameIdentity(Identity(a), Identity(b)); }

}  // namespace platform
