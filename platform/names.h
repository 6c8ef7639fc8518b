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

// The name a file found in a folder has in the archive, the same rule on
// every system: a name that is well-formed UTF-8 and holds a byte beyond
// ASCII is converted to Shift-JIS (nothing when Shift-JIS cannot hold it);
// any other name is taken byte for byte, so raw Shift-JIS names and ASCII
// names stay as they are.
std::optional<std::string> ArchiveNameOf(std::string_view fileName);

// The name a file takes on this system for an archive member named `name`
// (Shift-JIS): on Windows its characters in UTF-8 (a name that is no
// well-formed Shift-JIS with its bytes beyond ASCII as \xNN), elsewhere the
// bytes themselves, as the converter takes a raw Shift-JIS name.
std::string FileNameOfMember(std::string_view name);

// A path (or a file's own name) as a Shift-JIS message shows it: a UTF-8
// path in Shift-JIS, each character Shift-JIS cannot hold as the \xNN of its
// UTF-8 bytes; any other path byte for byte. Control bytes and bytes that
// form no character are escaped as base::Printable escapes them.
std::string PathForMessage(std::string_view path);

}  // namespace platform
