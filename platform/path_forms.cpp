#include "platform/path_forms.h"

#include <vector>

namespace platform {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The parts of `rest` between separators, with "." dropped and ".." taking
// back the part before it.
std::vector<std::string_view> TidiedParts(std::string_view rest) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    const std::string_view part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

std::string Joined(std::string prefix, std::string_view rest) {
  const std::vector<std::string_view> parts = TidiedParts(rest);
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) prefix += '\\';
    prefix += parts[i];
  }
  if (!parts.empty() && !rest.empty() && IsSeparator(rest.back())) prefix += '\\';
  return prefix;
}

}  // namespace

std::string ExtendedLengthPath(std::string_view path) {
  // "C:\..." or "C:/...": a drive's full path.
  if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]))
    return Joined("\\\\?\\" + std::string(path.substr(0, 2)) + "\\", path.substr(3));
  // "\\server\share\...": a share's, unless "\\?\" or "\\.\" already. The
  // server and the share are its root, which ".." never takes back.
  if (path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2])) {
    if ((path[2] == '?' || path[2] == '.') && (path.size() == 3 || IsSeparator(path[3])))
      return std::string(path);
    const std::string_view rest = path.substr(2);
    const size_t serverEnd = rest.find_first_of("\\/");
    if (serverEnd == std::string_view::npos) return std::string(path);
    const std::string_view afterServer = rest.substr(serverEnd + 1);
    const size_t shareEnd = afterServer.find_first_of("\\/");
    const std::string_view share = afterServer.substr(0, shareEnd);
    if (share.empty()) return std::string(path);
    std::string root = "\\\\?\\UNC\\" + std::string(rest.substr(0, serverEnd)) + "\\" + std::string(share);
    if (shareEnd == std::string_view::npos) return root;
    return Joined(root + "\\", afterServer.substr(shareEnd + 1));
  }
  return std::string(path);
}

}  // namespace platform
