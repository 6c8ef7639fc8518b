#pragma once

#include <optional>
#include <string>
#include <string_view>

// File names and paths between the system and the archive. Inside the
// program a path is the system's own: UTF-8 on Windows (converted from and
// to UTF-16 at the calls into the system), the bytes of the name on POSIX
// systems. The archive and the console's messages speak Shift-JIS (code page
// 932).
namespace platform {

// The Shift-JIS form of UTF-8 text, character for character: nothing when
// one of its characters has none of its own (no best-fit substitute, no
// '?'; a character whose Shift-JIS form converts back to another, as
// U+00A5 or U+301C do in some tables, has none). Defined once per system.
std::optional<std::string> SjisOfUtf8(std::string_view utf8);

// The UTF-8 form of Shift-JIS text; nothing when it is not well-formed
// code page 932. Defined once per system.
std::optional<std::string> Utf8OfSjis(std::string_view sjis);

// True when `text` is well-formed UTF-8 (no overlong form, no surrogate,
// nothing above U+10FFFF).
bool IsUtf8(std::string_view text);

// The text of a UTF-8 name in its composed form (Unicode NFC), as every
// system stores it: a name a copy from macOS decomposed ("カ" + U+3099)
// becomes the name it was ("ガ"). Nothing when `utf8` is not well-formed.
std::optional<std::string> ComposedUtf8(std::string_view utf8);

// The two ways a file's name can be read for the archive.
struct NameReadings {
  // The name is well-formed UTF-8 with a byte beyond ASCII.
  bool utf8 = false;
  // The Shift-JIS form of the name's characters, the name taken as UTF-8
  // text (composed first): nothing when it is no such name, or when
  // Shift-JIS cannot hold a character of it.
  std::optional<std::string> text;
  // The name's bytes, taken as raw Shift-JIS: for a name with a byte beyond
  // ASCII that is no UTF-8 (whatever it holds), and, on a system whose names
  // are bytes (never on Windows, whose names are characters), for a UTF-8
  // name that is also well-formed Shift-JIS and whose characters beyond
  // ASCII all take two bytes (half-width katakana pairs as Shift-JIS; the
  // three bytes of a kana or kanji in UTF-8 make no name as Shift-JIS).
  std::optional<std::string> raw;

  // The name reads both as UTF-8 and as raw Shift-JIS (whether or not
  // Shift-JIS holds its UTF-8 reading): which one it means is for the names
  // around it to tell.
  bool Ambiguous() const { return utf8 && raw; }
};
NameReadings ReadingsOf(std::string_view fileName);

// The name a file found in a folder has in the archive, the same rule on
// every system: an ASCII name byte for byte; a UTF-8 name by its text
// reading (nothing when Shift-JIS cannot hold it), any other by its raw
// one. The file search's callers settle a name that reads both ways by the
// names around it.
std::optional<std::string> ArchiveNameOf(std::string_view fileName);

// True when this system's file names are text in UTF-8: on Windows always
// (the program holds its names in UTF-8), elsewhere when the locale's
// codeset, decided as the console decides the terminal's
// (ChooseTerminalCodeset: a C locale or none means UTF-8), is UTF-8. Defined
// once per system.
bool FileNamesAreUtf8();

// The name a file takes on this system for an archive member named `name`
// (Shift-JIS), the inverse of the name rule: where names are text
// (`utf8Names`) the UTF-8 of its characters when ArchiveNameOf reads that
// back as `name`; otherwise the bytes themselves, as the converter takes a
// raw Shift-JIS name. On Windows, whose names are characters, always the
// characters, and nothing for a name that is no well-formed Shift-JIS.
std::optional<std::string> FileNameOfMember(std::string_view name, bool utf8Names);

// UTF-8 text with each character in its capital (Unicode's simple mapping,
// one character for one), as Windows compares file names; `utf8` as it is
// when it is not well-formed.
std::string UpperCaseUtf8(std::string_view utf8);

// A path (or a file's own name) as a Shift-JIS message shows it, each part
// between '/' by itself: a UTF-8 part (composed) in Shift-JIS, each
// character Shift-JIS cannot hold as the \xNN of its UTF-8 bytes; any other
// part byte for byte, as raw Shift-JIS. Control bytes and bytes that
// form no character are escaped as base::Printable escapes them.
std::string PathForMessage(std::string_view path);

}  // namespace platform
