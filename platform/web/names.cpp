// Shift-JIS and UTF-8 from a table the build makes from the build machine's
// code page 932 (platform/web/make_sjis_table.c), so that names follow the
// same rule as on Linux. The page's C library has no such conversion.
#include "platform/names.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "base/printable.h"
#include "sjis_table.h"

namespace platform {
namespace {

// The second column of the row of `table` whose first is `key`.
template <size_t N>
std::optional<uint32_t> Find(const uint32_t (&table)[N][2], uint32_t key) {
  const auto* row = std::lower_bound(std::begin(table), std::end(table), key,
                                     [](const uint32_t(&r)[2], uint32_t k) { return r[0] < k; });
  if (row == std::end(table) || (*row)[0] != key) return std::nullopt;
  return (*row)[1];
}

void AppendUtf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point of the well-formed UTF-8 character of `n` bytes at `p`.
uint32_t CodePoint(const uint8_t* p, size_t n) {
  if (n == 1) return p[0];
  uint32_t c = p[0] & (0x7F >> n);
  for (size_t i = 1; i < n; ++i) c = (c << 6) | (p[i] & 0x3F);
  return c;
}

}  // namespace

std::optional<std::string> SjisOfUtf8(std::string_view utf8) {
  std::string sjis;
  while (!utf8.empty()) {
    const size_t n = base::Utf8Length(utf8);
    if (n == 0) return std::nullopt;
    const std::optional<uint32_t> code =
        Find(kUnicodeToSjis, CodePoint(reinterpret_cast<const uint8_t*>(utf8.data()), n));
    if (!code) return std::nullopt;
    if (*code > 0xFF) sjis += static_cast<char>(*code >> 8);
    sjis += static_cast<char>(*code & 0xFF);
    utf8.remove_prefix(n);
  }
  return sjis;
}

std::optional<std::string> Utf8OfSjis(std::string_view sjis) {
  std::string utf8;
  for (size_t i = 0; i < sjis.size();) {
    const uint32_t first = static_cast<uint8_t>(sjis[i]);
    std::optional<uint32_t> c = Find(kSjisToUnicode, first);
    size_t length = 1;
    if (!c && i + 1 < sjis.size()) {
      c = Find(kSjisToUnicode, first << 8 | static_cast<uint8_t>(sjis[i + 1]));
      length = 2;
    }
    if (!c) return std::nullopt;
    AppendUtf8(utf8, *c);
    i += length;
  }
  return utf8;
}

// The page's file system names files in UTF-8.
bool FileNamesAreUtf8() { return true; }

}  // namespace platform
