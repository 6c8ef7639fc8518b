// Name matching of the file search, the same on every platform.
#include "base/sjis.h"
#include "platform/file_search.h"

namespace platform {
namespace {

// Glob match with '*' and '?', iterative with one backtracking point.
bool GlobMatch(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || base::AsciiUpper(pattern[p]) == base::AsciiUpper(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool NameMatches(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  return GlobMatch(pattern, name);
}

}  // namespace platform
