#include "platform/paths.h"

#include <algorithm>

namespace platform {

size_t NamePartStart(std::string_view path) {
  size_t pos = path.find_last_of(kSeparators);
  return pos == std::string_view::npos ? 0 : pos + 1;
}

bool SameFileName(std::string_view a, std::string_view b) {
  if (!kNamesIgnoreCase) return a == b;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace platform
