// Folders listed for the file search in the order Windows lists them, so
// that the page's archive is the Windows build's byte for byte: names
// compared byte by byte with their ASCII letters in upper case ("AZB" comes
// before "A[B" and "A_B").
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/file_io.h"
#include "platform/folder_reader.h"
#include "platform/paths.h"

namespace platform {
namespace {

unsigned char Upper(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 0x20) : b;
}

bool InWindowsOrder(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Upper(x) < Upper(y); });
}

// The folder part of the pattern is resolved without regard to case; the
// folder is read whole when it is opened.
class WindowsOrderFolderReader final : public FolderReader {
 public:
  bool Open(std::string_view pattern) override {
    Close();
    const std::string written(pattern.substr(0, NamePartStart(pattern)));
    const std::string folder = written.empty() ? std::string(".") : ResolvePath(written);
    folder_ = folder.back() == kSeparator ? folder : folder + kSeparator;
    DIR* dir = opendir(folder.c_str());
    if (!dir) return false;
    while (const dirent* entry = readdir(dir)) names_.emplace_back(entry->d_name);
    closedir(dir);
    std::sort(names_.begin(), names_.end(), InWindowsOrder);
    return true;
  }

  bool Next(std::string_view& name) override {
    if (next_ >= names_.size()) return false;
    name = names_[next_++];
    return true;
  }

  bool IsFolder() const override {
    if (next_ == 0 || next_ > names_.size()) return false;
    struct stat st;
    const std::string path = folder_ + names_[next_ - 1];
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  void Close() override {
    names_.clear();
    next_ = 0;
  }

 private:
  std::vector<std::string> names_;
  size_t next_ = 0;
  std::string folder_;  // resolved, ending in the separator
};

}  // namespace

std::unique_ptr<FolderReader> MakeFolderReader() { return std::make_unique<WindowsOrderFolderReader>(); }

}  // namespace platform
