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

// How WriteOutputFile treats what already stands at its path.
enum class Earlier { kReplace, kKeep };

// Writes `bytes` to `path` through "<path>.part", moved into place when
// complete; whatever stood at "<path>.part" (a file, a link) is replaced,
// never written through, and so is what stands at `path` with
// Earlier::kReplace. With Earlier::kKeep a file found at `path`, even one
// that appeared while the bytes were written, stays: then the result is
// kExists. kFailed with the system's reason alone in `reason` (a line names
// `path`, the user's own, not the temporary name). Nothing is left at
// "<path>.part" unless it is written.
enum class Written { kWritten, kExists, kFailed };
Written WriteOutputFile(const std::string& path, const std::vector<uint8_t>& bytes, Earlier earlier,
                        const base::Translations& texts, std::string& reason);

}  // namespace avdtool
