#pragma once

#include <string>
#include <string_view>

// The edge between the program's paths (UTF-8) and Windows' wide calls
// (UTF-16). Every name that goes to or comes from the system passes here.
namespace platform::windows {

// UTF-16 of UTF-8 text; a byte that forms no character becomes U+FFFD,
// which names no file.
std::wstring Wide(std::string_view utf8);

// The UTF-16 path a call into Windows takes for the program's path `utf8`:
// its full path, in its "\\?\" form (platform/path_forms.h), so that
// neither Windows' length limit nor its device names (CON, NUL.TXT, ...)
// stand in its way. A path that is not full is made full first as Windows
// makes it (from the current folder, or a drive's), but for its last part,
// which stays a file's name: "CON" is the file CON in the current folder.
// One in a device form ("\\.\", "\\?\") is taken as it is.
std::wstring SystemPath(std::string_view utf8);

// UTF-16 of Shift-JIS text (code page 932, the messages' own), whatever the
// system's code pages; the bytes of a code with no character come out as
// \xNN, as on every other system. What the console gives a console window.
std::wstring WideOfSjis(std::string_view sjis);

// UTF-8 of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Utf8(std::wstring_view wide);

// UTF-16 of text in code page `codePage`; nothing readable is lost, a byte
// that forms no character becomes the code page's default.
std::wstring WideOfCodePage(unsigned codePage, std::string_view text);

}  // namespace platform::windows
