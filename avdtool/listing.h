#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "avdtool/exit_status.h"
#include "base/translations.h"

namespace avdtool {

enum class SortOrder { kName, kOffset, kSize };

// A table of the members of `file`: name, kind, packed and unpacked size,
// ratio (packed / unpacked) and offset, and for pictures their stored width
// and height and whether they carry an alpha plane, for scenarios their code
// length; then a totals line. By name the members come in directory order
// (which sorts them), by offset in the order of their data, by size largest
// unpacked size first.
//
// Only the first bytes of a member that a row shows are decompressed: a
// member whose stream is damaged beyond its header lists well (verify finds
// it).
//
// Returns kGood when every row is, kProblems when a row tells of a member
// whose first bytes cannot be decompressed or whose header is not well
// formed, and
// kCannotRun when the directory cannot be read (`out` then holds the
// reason alone, in the language of `texts`). The table itself is the same
// in every language, for the scripts that read it.
Status List(std::span<const uint8_t> file, SortOrder order, const base::Translations& texts,
            std::string& out);

}  // namespace avdtool
