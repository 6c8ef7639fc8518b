#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Names and paths shown on a console as a person can trust them: a name
// from a folder or an archive may hold any byte, and a terminal acts on
// control bytes (an escape sequence can retitle the window, write the
// clipboard or hide lines).
namespace base {

// How the text around a name encodes characters.
enum class TextEncoding {
  // Printable ASCII only: every other byte, and the backslash, is escaped, so
  // the name can be read back byte for byte ("\x82\xA0.TXT").
  kAscii,
  // Shift-JIS, as the converter's lines are: printable ASCII, single-byte
  // katakana and well-formed double-byte characters stay as they are.
  kShiftJis,
  // UTF-8: printable ASCII and well-formed characters stay, but for the C1
  // controls U+0080 to U+009F.
  kUtf8,
};

// `text` with every byte that is not part of a printable character of
// `encoding` written as \xNN (two capital hex digits): the C0 controls and
// DEL always, and bytes that form no character (a lone Shift-JIS first byte,
// a broken UTF-8 sequence) or one that a terminal takes as a control (C1).
// Text without such bytes comes back unchanged, except that kAscii escapes
// the backslash too.
std::string Printable(std::string_view text, TextEncoding encoding);

// Appends the \xNN form of the byte `b` (two capital hex digits) to `out`,
// as Printable writes a byte it does not keep.
void AppendEscape(uint8_t b, std::string& out);

// The length of the character at the start of `text` that Printable keeps
// as it is; 0 when Printable escapes its first byte (or `text` is empty).
size_t PrintableLength(std::string_view text, TextEncoding encoding);

// The length of the well-formed UTF-8 character at the start of `text` (1
// for any ASCII byte); 0 when there is none there: a broken or overlong
// sequence, a surrogate, a code above U+10FFFF, or no byte at all.
size_t Utf8Length(std::string_view text);

}  // namespace base
