#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/translations.h"

namespace avdtool {

// No archive is longer than this: the last member starts below 4 GiB and
// is less than 4 GiB long.
inline constexpr uint64_t kMostArchiveSize = (uint64_t{1} << 33) + 64;

// Reads the whole file at `path` into `bytes`. Only a regular file is read
// (a FIFO or a device is refused without being waited on), and none longer
// than kMostArchiveSize. False with the reason in `error`, in the language
// of `texts`.
bool ReadArchiveFile(const std::string& path, std::vector<uint8_t>& bytes, const base::Translations& texts,
                     std::string& error);

// Writes `bytes` to `path` through "<path>.part", renamed into place when
// complete; whatever stood at either name (a file, a link) is replaced, never
// written through. False with the system's reason alone in `reason` (a line
// names `path`, the user's own, not the temporary name); nothing is left
// at "<path>.part".
bool WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes,
                     const base::Translations& texts, std::string& reason);

}  // namespace avdtool
