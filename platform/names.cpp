// The name rule and paths in messages, the same on every platform.
#include "platform/names.h"

#include <utf8proc.h>

#include <cstdint>
#include <cstdlib>
#include <utility>

#include "base/printable.h"

namespace platform {
namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<uint8_t>(c) >= 0x80) return false;
  }
  return true;
}

#ifndef _WIN32
// True when every character of the UTF-8 `text` beyond ASCII takes two
// bytes (U+0080 to U+07FF). Only such a name reads as Shift-JIS as well,
// its pairs as half-width katakana: taken as Shift-JIS, the three bytes of a
// kana or kanji in UTF-8 make no name anyone wrote.
bool OnlyTwoByteCharacters(std::string_view text) {
  for (size_t n; !text.empty(); text.remove_prefix(n)) {
    n = base::Utf8Length(text);
    if (n == 0 || n > 2) return false;
  }
  return true;
}
#endif

}  // namespace

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    const size_t n = base::Utf8Length(text);
    if (n == 0) return false;
    text.remove_prefix(n);
  }
  return true;
}

std::optional<std::string> ComposedUtf8(std::string_view utf8) {
  if (!IsUtf8(utf8)) return std::nullopt;
  if (IsAscii(utf8)) return std::string(utf8);
  utf8proc_uint8_t* composed = nullptr;
  const utf8proc_ssize_t length = utf8proc_map(
      reinterpret_cast<const utf8proc_uint8_t*>(utf8.data()), static_cast<utf8proc_ssize_t>(utf8.size()),
      &composed, static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
  if (length < 0) return std::nullopt;
  std::string result(reinterpret_cast<const char*>(composed), static_cast<size_t>(length));
  std::free(composed);
  return result;
}

NameReadings ReadingsOf(std::string_view fileName) {
  NameReadings readings;
  if (IsAscii(fileName)) return readings;
  readings.utf8 = IsUtf8(fileName);
  if (readings.utf8) {
    if (std::optional<std::string> composed = ComposedUtf8(fileName)) readings.text = SjisOfUtf8(*composed);
  }
  // A name that is no UTF-8 is taken byte for byte, whatever it holds. A
  // UTF-8 name is raw Shift-JIS too only where names are bytes.
  if (!readings.utf8) {
    readings.raw = std::string(fileName);
  }
#ifndef _WIN32
  else if (OnlyTwoByteCharacters(fileName) && Utf8OfSjis(fileName)) {
    readings.raw = std::string(fileName);
  }
#endif
  return readings;
}

std::optional<std::string> ArchiveNameOf(std::string_view fileName) {
  if (IsAscii(fileName)) return std::string(fileName);
  NameReadings readings = ReadingsOf(fileName);
  return readings.utf8 ? std::move(readings.text) : std::move(readings.raw);
}

std::optional<std::string> FileNameOfMember(std::string_view name, bool utf8Names) {
  std::optional<std::string> utf8 = Utf8OfSjis(name);
#ifdef _WIN32
  (void)utf8Names;
  return utf8;
#else
  // Only a form that reads back as the member: code page 932 gives some
  // characters two codes, and a compatibility ideograph composes to another.
  if (utf8Names && utf8 && ArchiveNameOf(*utf8) == name) return utf8;
  return std::string(name);
#endif
}

std::string UpperCaseUtf8(std::string_view utf8) {
  if (!IsUtf8(utf8)) return std::string(utf8);
  std::string upper;
  upper.reserve(utf8.size());
  for (size_t n; !utf8.empty(); utf8.remove_prefix(n)) {
    n = base::Utf8Length(utf8);
    utf8proc_int32_t c = 0;
    if (utf8proc_iterate(reinterpret_cast<const utf8proc_uint8_t*>(utf8.data()),
                         static_cast<utf8proc_ssize_t>(n), &c) != static_cast<utf8proc_ssize_t>(n)) {
      upper.append(utf8.substr(0, n));
      continue;
    }
    utf8proc_uint8_t bytes[4];
    const utf8proc_ssize_t length = utf8proc_encode_char(utf8proc_toupper(c), bytes);
    upper.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
  }
  return upper;
}

namespace {

// One part of a path between separators, as PathForMessage shows it.
std::string PartForMessage(std::string_view part) {
  if (IsAscii(part) || !IsUtf8(part)) return base::Printable(part, base::TextEncoding::kShiftJis);
  const std::string composed = ComposedUtf8(part).value_or(std::string(part));
  if (std::optional<std::string> whole = SjisOfUtf8(composed))
    return base::Printable(*whole, base::TextEncoding::kShiftJis);
  // Character by character: what Shift-JIS cannot hold is escaped.
  std::string sjis;
  for (std::string_view rest = composed; !rest.empty();) {
    const std::string_view one = rest.substr(0, base::Utf8Length(rest));
    if (std::optional<std::string> converted = SjisOfUtf8(one)) {
      sjis += base::Printable(*converted, base::TextEncoding::kShiftJis);
    } else {
      sjis += base::Printable(one, base::TextEncoding::kAscii);
    }
    rest.remove_prefix(one.size());
  }
  return sjis;
}

}  // namespace

// Part by part, so that a raw Shift-JIS name in a folder named in UTF-8
// keeps the folder's characters. '/' is never the second byte of a
// Shift-JIS character.
std::string PathForMessage(std::string_view path) {
  std::string shown;
  while (true) {
    const size_t slash = path.find('/');
    shown += PartForMessage(path.substr(0, slash));
    if (slash == std::string_view::npos) return shown;
    shown += '/';
    path.remove_prefix(slash + 1);
  }
}

}  // namespace platform
