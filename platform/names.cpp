// The name rule and paths in messages, the same on every platform.
#include "platform/names.h"

#include <cstdint>

#include "base/printable.h"

namespace platform {
namespace {

// The length of the well-formed UTF-8 character at the start of `text`; 0
// when there is none.
size_t Utf8Length(std::string_view text) {
  const auto b = static_cast<uint8_t>(text[0]);
  if (b < 0x80) return 1;
  size_t length;
  uint32_t code, least;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, code = b & 0x1Fu, least = 0x80;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, code = b & 0x0Fu, least = 0x800;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, code = b & 0x07u, least = 0x10000;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    const auto c = static_cast<uint8_t>(text[i]);
    if ((c & 0xC0) != 0x80) return 0;
    code = code << 6 | (c & 0x3Fu);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<uint8_t>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    const size_t n = Utf8Length(text);
    if (n == 0) return false;
    text.remove_prefix(n);
  }
  return true;
}

std::optional<std::string> ArchiveNameOf(std::string_view fileName) {
  if (IsAscii(fileName) || !IsUtf8(fileName)) return std::string(fileName);
  return SjisOfUtf8(fileName);
}

std::string FileNameOfMember(std::string_view name) {
#ifdef _WIN32
  if (std::optional<std::string> utf8 = Utf8OfSjis(name)) return *utf8;
  return base::Printable(name, base::TextEncoding::kAscii);
#else
  return std::string(name);
#endif
}

std::string PathForMessage(std::string_view path) {
  if (IsAscii(path) || !IsUtf8(path)) return base::Printable(path, base::TextEncoding::kShiftJis);
  if (std::optional<std::string> whole = SjisOfUtf8(path))
    return base::Printable(*whole, base::TextEncoding::kShiftJis);
  // Character by character: what Shift-JIS cannot hold is escaped.
  std::string sjis;
  while (!path.empty()) {
    const std::string_view one = path.substr(0, Utf8Length(path));
    if (std::optional<std::string> converted = SjisOfUtf8(one)) {
      sjis += base::Printable(*converted, base::TextEncoding::kShiftJis);
    } else {
      sjis += base::Printable(one, base::TextEncoding::kAscii);
    }
    path.remove_prefix(one.size());
  }
  return sjis;
}

}  // namespace platform
