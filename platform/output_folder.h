#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/translations.h"

// The folder the archive inspector extracts into: paths taken as written
// (no letter-case resolution), every failure with its reason for a line
// (platform::Describe), nothing noted for removal on an interruption. A
// reason comes in the language of `texts`, in Shift-JIS, with any path in
// it as PathForMessage shows it.
namespace platform {

// A folder that new files are written into, by bare names: a name never
// reaches outside it, files are created exclusively and never through a
// link, so nothing already in the folder is touched.
class OutputFolder {
 public:
  enum class Written { kWritten, kExists, kFailed };

  // Opens the folder at `path`, created first when it is missing, with
  // every missing folder above it. Nothing with the reason in `error` when
  // it cannot be.
  // The folder's reasons come in the language of `texts`.
  static std::unique_ptr<OutputFolder> Open(const std::string& path, const base::Translations& texts,
                                            std::string& error);

  virtual ~OutputFolder() = default;

  // Creates the file `name` (a bare name, as the program holds names) and
  // writes `bytes` into it. kExists when something of that name is in the
  // folder already (left as it is); kFailed with the reason in `error` when
  // it cannot be created or written, and then it is not left behind.
  virtual Written Write(const std::string& name, std::span<const uint8_t> bytes, std::string& error) = 0;
};

}  // namespace platform
