#pragma once

#include <string_view>

// The program's one file search: a folder and a file-name pattern with the
// wildcards "*" and "?", matched without regard to ASCII letter case ("*.*"
// matches every name, with or without a dot). Folders are never returned;
// names come in the folder's own order, unsorted. There is one search at a
// time: starting a search abandons any unfinished one.
namespace platform {

// Starts a search on `pattern` (a folder path ending in the separator, then
// the name pattern). The folder part is resolved without regard to case.
// Returns the bare name of the first file, or nullptr.
const char* FindFirstName(std::string_view pattern);

// The next file of the open search, or nullptr (which closes the search).
const char* FindNextName();

// True when `name` matches `pattern` as the search matches names.
bool NameMatches(std::string_view pattern, std::string_view name);

}  // namespace platform
