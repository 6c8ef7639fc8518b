#include "platform/paths.h"

namespace platform {

size_t NamePartStart(std::string_view path) {
  size_t pos = path.find_last_of(kSeparators);
  return pos == std::string_view::npos ? 0 : pos + 1;
}

}  // namespace platform
