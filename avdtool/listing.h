#pragma once

#include <cstdint>
#include <span>
#include <string>

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
// Returns 0 when the directory could be read (a member that cannot be
// decompressed says so in its row), 1 when it cannot (`out` then holds the
// reason, in the language of `texts`). The table itself is the same in
// every language, for the scripts that read it.
int List(std::span<const uint8_t> file, SortOrder order, const base::Translations& texts, std::string& out);

}  // namespace avdtool
