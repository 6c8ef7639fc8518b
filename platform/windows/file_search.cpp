// Folders listed with FindFirstFileW, for the file search.
#include <cwchar>
#include <string>

#include "platform/folder_reader.h"
#include "platform/windows/wide.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

// Windows finds the names (regardless of letter case, the folder's own
// order) and matches the pattern itself; the search still holds every name
// to NameMatches, since Windows matches a pattern against a file's short
// 8.3 name too ("*.MOE" would find "PICTURE.MOEX" through "PICTUR~1.MOE").
class WindowsFolderReader final : public FolderReader {
 public:
  ~WindowsFolderReader() override { Close(); }

  void Close() override {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    haveFirst_ = false;
  }

  bool Open(std::string_view pattern) override {
    handle_ = FindFirstFileW(windows::SystemPath(pattern).c_str(), &entry_);
    haveFirst_ = handle_ != INVALID_HANDLE_VALUE;
    return haveFirst_;
  }

  bool Next(std::string_view& name) override {
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    if (!haveFirst_ && !FindNextFileW(handle_, &entry_)) return false;
    haveFirst_ = false;
    // cFileName is terminated within its array by the system; bounded anyway.
    name_ = windows::Utf8(
        std::wstring_view(entry_.cFileName, wcsnlen(entry_.cFileName, std::size(entry_.cFileName))));
    name = name_;
    return true;
  }

  bool IsFolder() const override { return (entry_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW entry_{};
  std::string name_;        // entry_'s name in UTF-8
  bool haveFirst_ = false;  // entry_ holds the first entry, not yet given
};

}  // namespace

std::unique_ptr<FolderReader> MakeFolderReader() { return std::make_unique<WindowsFolderReader>(); }

}  // namespace platform
