#include "scenario/source.h"

#include <algorithm>
#include <cstring>

namespace scenario {

void Source::Load(const uint8_t* data, size_t size) {
  data_ = data;
  len_ = static_cast<uint32_t>(std::min(size, kCapacity));
  pos_ = 0;
}

std::string_view Source::ReadString() {
  if (pos_ >= len_) return {};
  const auto* begin = reinterpret_cast<const char*>(data_ + pos_);
  const void* zero = std::memchr(begin, 0, len_ - pos_);
  if (!zero) {
    std::string_view s(begin, len_ - pos_);
    pos_ = len_;
    return s;
  }
  std::string_view s(begin, static_cast<size_t>(static_cast<const char*>(zero) - begin));
  pos_ += static_cast<uint32_t>(s.size()) + 1;
  return s;
}

}  // namespace scenario
