#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "avdtool/exit_status.h"
#include "base/translations.h"

// Listings of scenario code, one instruction per line:
//   000012  15 28 3b 15 11 29 ..  if.ne        5, 1, -> 0x00001f
// the code offset (six hex digits), the instruction's first bytes in hex
// (at most six, ".." when there are more), a mnemonic and the operands:
// numbers in decimal, texts in quotes, jumps as "-> 0x" and the target
// offset. A line "00001f:" stands before every instruction a jump lands on;
// a byte that starts no instruction is a "db" line, and the listing goes on
// with the next byte. Lines starting with ';' describe what is listed.
// Texts stay Shift-JIS (the console shows them in its codeset); control
// bytes, quotes and bytes that make no character are written as \xNN.
namespace avdtool {

// Shift-JIS text as a listing shows it: whole characters kept, everything
// else escaped.
std::string ShownText(std::string_view sjis);

// The listing of one target scenario, header fields first.
std::string ListScenario(std::span<const uint8_t> member);

// The listing of a source scenario (".SIO"), by the translator's walk;
// offsets are source positions.
std::string ListSource(std::span<const uint8_t> source);

// Lists the "SEEN" members of the archive in `file`: every one, or those
// named (as MemberQuery reads a name); one whose bytes are not a scenario's
// gets a line saying it is data. Returns kGood when all could be listed,
// kProblems when a member cannot be decompressed, kCannotRun when a name
// matches no scenario member or the archive's directory cannot be read (then
// `out` holds the reason alone); `out` holds the listings and
// a line for each failure. The listings are the same in every language (for
// the scripts that read them); the failures come in the language of
// `texts`.
Status Disassemble(std::span<const uint8_t> file, const std::vector<std::string>& names,
                   const base::Translations& texts, std::string& out);

}  // namespace avdtool
