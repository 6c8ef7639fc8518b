// The name rule and paths in messages, the same on every platform.
#include "platform/names.h"

#include <cstdint>

#include "base/printable.h"

namespace platform {
namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<uint8_t>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    const size_t n = base::Utf8Length(text);
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
    const std::string_view one = path.substr(0, base::Utf8Length(path));
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
