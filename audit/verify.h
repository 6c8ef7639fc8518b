#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/translations.h"

namespace audit {

struct Verification {
  size_t members = 0;                 // the member count of the header
  bool directoryRead = true;          // false when the directory could not be read at all
  std::vector<std::string> problems;  // one line each, without its line ending
};

// Checks everything the archive format promises of `file`:
// - the header: "KELPIX" and two zeros, the fixed words 1613, 2, 16 and 8,
//   a title zero-terminated within its field, a member count whose
//   directory fits in the file;
// - the directory: names zero-padded behind their terminator and in strictly
//   ascending order of their 16 bytes, or equal and in order of their data;
//   kind 2;
// - the data area: the members back to back in offset order from the end of
//   the directory to the end of the file, no gap, no overlap;
// - each member: decompresses to exactly its unpacked size; a ".PDT"
//   picture's header and length agree, a "SEEN%03d.TXT" scenario's header
//   and code length agree. A member named so that does not begin with
//   "PDT10" or "TPC32" is data, which the format leaves alone (KindOf).
// Each problem names its member (entry number and printable name) and what
// is wrong, in the language of `texts`.
Verification Verify(std::span<const uint8_t> file, const base::Translations& texts = base::Translations());

// The problems, one per line, then "N members, all good" or "N problems".
std::string VerificationReport(const Verification& verification,
                               const base::Translations& texts = base::Translations());

}  // namespace audit
