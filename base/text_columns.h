#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Text as a terminal shows it: how many columns it takes and how to cut it
// to a width without breaking a character. Double-width characters (kanji,
// kana, full-width forms) take two columns. Control characters are never
// written to the terminal as they are: each of their bytes is shown as '?',
// so the text keeps its length in bytes.
namespace base {

// How the bytes written to the terminal encode characters.
enum class TerminalEncoding {
  kUtf8,
  kShiftJis,
  // Any other codeset: every byte counts as one column, and bytes from 0x80
  // up come in pairs (as in EUC-JP), which never undercounts the columns.
  kOther,
};

// The columns `text` takes on the terminal.
size_t TextColumns(std::string_view text, TerminalEncoding encoding);

// `text` with every control character (below 0x20, 0x7F, and in UTF-8 the
// C1 controls) replaced by '?' and cut after as many whole characters as fit
// in `columns`. Invalid bytes count as one column each.
std::string FitToColumns(std::string_view text, TerminalEncoding encoding, size_t columns);

// As FitToColumns, but a text too wide keeps its end, behind "...": for
// paths, whose last part matters most.
std::string FitTailToColumns(std::string_view text, TerminalEncoding encoding, size_t columns);

}  // namespace base
