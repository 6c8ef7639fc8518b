#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

// Capitalises the ASCII letters of a Shift-JIS name in place. The two bytes
// of a double-byte character (first byte 0x80-0x9F or 0xE0-0xFF) are left as
// they are, whatever the second byte is.
void UpperCaseName(char* name);
void UpperCaseName(std::string& name);

// The ASCII capital of `c`; every other byte as it is.
constexpr unsigned char AsciiUpper(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 0x20) : u;
}

// True for a byte that begins a double-byte Shift-JIS character.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x80 && b <= 0x9F) || b >= 0xE0; }

// The bytes code page 932 gives its double-byte characters: a first byte of
// 0x81-0x9F or 0xE0-0xFC, a second of 0x40-0x7E or 0x80-0xFC.
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsCp932TrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// How many bytes of the Shift-JIS name `name` to keep so that it holds at
// most `maxBytes` bytes and ends with a whole character: a double-byte
// character whose second byte would fall beyond the limit goes whole.
size_t WholeCharacterLength(std::string_view name, size_t maxBytes);

}  // namespace base
