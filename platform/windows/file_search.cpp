#include "platform/file_search.h"

#include <cstring>
#include <string>

#include "platform/paths.h"
#include "platform/windows/win32.h"

namespace platform {

// Windows finds the names (regardless of letter case, the folder's own
// order); the names it returns are also held to NameMatches, since Windows
// matches a pattern against a file's short 8.3 name too ("*.MOE" would
// find "PICTURE.MOEX" through "PICTUR~1.MOE").
struct FileSearch::State {
  ~State() { Close(); }

  const char* First(std::string_view pattern) {
    Close();
    found_.clear();
    namePattern_ = std::string(pattern.substr(NamePartStart(pattern)));
    const std::string whole(pattern);
    WIN32_FIND_DATAA entry;
    handle_ = FindFirstFileA(whole.c_str(), &entry);
    if (handle_ == INVALID_HANDLE_VALUE) return nullptr;
    return Take(entry) ? found_.c_str() : Next();
  }

  const char* Next() {
    found_.clear();
    if (handle_ == INVALID_HANDLE_VALUE) return nullptr;
    WIN32_FIND_DATAA entry;
    while (FindNextFileA(handle_, &entry)) {
      if (Take(entry)) return found_.c_str();
    }
    Close();
    return nullptr;
  }

  // Keeps the entry's name when it is a file whose name matches.
  bool Take(const WIN32_FIND_DATAA& entry) {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    // cFileName is terminated within its array by the system; bounded anyway.
    const std::string_view name(entry.cFileName, strnlen(entry.cFileName, sizeof entry.cFileName));
    if (!NameMatches(namePattern_, name)) return false;
    found_ = name;
    return true;
  }

  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::string namePattern_;
  std::string found_;
};

FileSearch::FileSearch() : state_(std::make_unique<State>()) {}

FileSearch::~FileSearch() = default;

const char* FileSearch::FindFirstName(std::string_view pattern) { return state_->First(pattern); }

const char* FileSearch::FindNextName() { return state_->Next(); }

}  // namespace platform
