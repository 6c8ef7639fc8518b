#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/translations.h"

// Files as the archive inspector reads and writes them: paths taken as
// written (no letter-case resolution), every failure with its reason for a
// line, nothing noted for removal on an interruption. A reason comes in the
// language of `texts`, in Shift-JIS, with any path in it as PathForMessage
// shows it.
namespace platform {

// Reads the whole regular file at `path` into `bytes`. Only a regular file
// is read (a FIFO or a device is refused without being waited on), and none
// longer than `maxSize`. A file that shrinks while it is read is cut to what
// was read. False with the reason in `error`.
bool ReadRegularFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t maxSize,
                     const base::Translations& texts, std::string& error);

// Writes `bytes` to `path` through "<path>.part", renamed into place when
// complete; whatever stood at either name (a file, a link) is replaced, never
// written through. False with the reason in `error`.
bool WriteFileInPlace(const std::string& path, std::span<const uint8_t> bytes,
                      const base::Translations& texts, std::string& error);

// A folder that new files are written into, by bare names: a name never
// reaches outside it, files are created exclusively and never through a
// link, so nothing already in the folder is touched.
class OutputFolder {
 public:
  enum class Written { kWritten, kExists, kFailed };

  // Opens the folder at `path`, created first when it is missing. Nothing
  // with the reason in `error` when it cannot be.
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
