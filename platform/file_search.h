#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace platform {

// A file the search found, by both of its names.
struct FoundName {
  std::string file;     // its own name, as the system gives it: to open it by
  std::string archive;  // its name in the archive (ArchiveNameOf); empty when Shift-JIS cannot hold it
  // When the name reads both as UTF-8 and as raw Shift-JIS: its raw
  // reading (`archive` holds the UTF-8 one, empty when Shift-JIS cannot
  // hold it); empty otherwise.
  std::string rawReading;
};

// A search of one folder for the files whose names match a pattern with the
// wildcards "*" and "?", matched (against the archive name where there is
// one, the file's own otherwise) without regard to ASCII letter case ("*.*"
// matches every name, with or without a dot). Folders are never returned;
// names come in the folder's own order, unsorted. Each loop over a folder
// owns its search; starting a search abandons the unfinished one of the
// same object.
class FileSearch {
 public:
  FileSearch();
  ~FileSearch();
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;

  // Starts a search on `pattern` (a folder path ending in the separator,
  // then the name pattern). The folder part is resolved without regard to
  // case. Returns the bare names of the first file, or nullptr. They stay
  // valid until the next call.
  const FoundName* FindFirstName(std::string_view pattern);

  // The next file of the search, or nullptr (which ends the search).
  const FoundName* FindNextName();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// True when `name` matches `pattern` as the search matches names.
bool NameMatches(std::string_view pattern, std::string_view name);

}  // namespace platform
