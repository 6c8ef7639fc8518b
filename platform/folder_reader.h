#pragma once

#include <memory>
#include <string_view>

namespace platform {

// The entries of one folder as each system lists them: the part of
// FileSearch that differs between systems (platform/file_search.cpp holds
// the rest).
class FolderReader {
 public:
  virtual ~FolderReader() = default;

  // Starts listing the folder of `pattern` (a folder path ending in the
  // separator, then the name pattern); the earlier listing is closed
  // before. False when the folder cannot be listed.
  virtual bool Open(std::string_view pattern) = 0;
  // The next entry's bare name, in the folder's own order; false at the end.
  // The name stays valid until the next call.
  virtual bool Next(std::string_view& name) = 0;
  // True when the entry Next gave last is a folder, or a link to one.
  virtual bool IsFolder() const = 0;
  virtual void Close() = 0;
};

// This system's folder reader; defined once per system.
std::unique_ptr<FolderReader> MakeFolderReader();

}  // namespace platform
