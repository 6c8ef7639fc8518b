#include "base/printable.h"

#include <cstdint>

#include "base/sjis.h"

namespace base {
namespace {

bool IsPrintableAscii(uint8_t b) { return b >= 0x20 && b < 0x7F; }

// The length of the Shift-JIS character at the start of `text` that may be
// shown as it is; 0 when its first byte must be escaped. Only the first
// bytes that code page 932 gives double-byte characters (0x81-0x9F,
// 0xE0-0xFC) are taken, with a second byte of 0x40-0x7E or 0x80-0xFC;
// 0x80, 0xA0 and 0xFD-0xFF stand alone and are escaped (converted to UTF-8
// some of them become controls).
size_t ShiftJisCharacter(std::string_view text) {
  const auto b = static_cast<uint8_t>(text[0]);
  if (IsPrintableAscii(b) || (b >= 0xA1 && b <= 0xDF)) return 1;
  if (!IsCp932LeadByte(b) || text.size() < 2) return 0;
  return IsCp932TrailByte(static_cast<uint8_t>(text[1])) ? 2 : 0;
}

// The length of the well-formed UTF-8 character at the start of `text` that
// may be shown as it is (no C1 control either); 0 when its first byte must
// be escaped.
size_t Utf8Character(std::string_view text) {
  const auto b = static_cast<uint8_t>(text[0]);
  if (b < 0x80) return IsPrintableAscii(b) ? 1 : 0;
  // U+0080 to U+009F: C2 80 to C2 9F.
  if (b == 0xC2 && text.size() > 1 && static_cast<uint8_t>(text[1]) <= 0x9F) return 0;
  return Utf8Length(text);
}

}  // namespace

size_t Utf8Length(std::string_view text) {
  if (text.empty()) return 0;
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

size_t PrintableLength(std::string_view text, TextEncoding encoding) {
  if (text.empty()) return 0;
  switch (encoding) {
    case TextEncoding::kAscii:
      return IsPrintableAscii(static_cast<uint8_t>(text[0])) && text[0] != '\\' ? 1 : 0;
    case TextEncoding::kShiftJis:
      return ShiftJisCharacter(text);
    case TextEncoding::kUtf8:
      return Utf8Character(text);
  }
  return 0;
}

void AppendEscape(uint8_t b, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  out += "\\x";
  out += kHex[b >> 4];
  out += kHex[b & 15];
}

std::string Printable(std::string_view text, TextEncoding encoding) {
  std::string out;
  out.reserve(text.size());
  while (!text.empty()) {
    size_t keep = PrintableLength(text, encoding);
    if (keep == 0) {
      AppendEscape(static_cast<uint8_t>(text[0]), out);
      keep = 1;
    } else {
      out.append(text.substr(0, keep));
    }
    text.remove_prefix(keep);
  }
  return out;
}

}  // namespace base
