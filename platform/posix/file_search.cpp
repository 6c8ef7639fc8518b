#include "platform/file_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace platform {

struct FileSearch::State {
  ~State() { Close(); }

  const char* First(std::string_view pattern) {
    found_.clear();
    Close();
    size_t nameStart = NamePartStart(pattern);
    folder_ = std::string(pattern.substr(0, nameStart));
    namePattern_ = std::string(pattern.substr(nameStart));
    std::string folder = folder_.empty() ? std::string(".") : ResolvePath(folder_);
    if (!folder_.empty()) folder_ = folder.back() == kSeparator ? folder : folder + kSeparator;
    dir_ = opendir(folder.c_str());
    if (!dir_) return nullptr;
    return Next();
  }

  const char* Next() {
    found_.clear();
    if (!dir_) return nullptr;
    while (dirent* entry = readdir(dir_)) {
      std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (!NameMatches(namePattern_, name)) continue;
      if (IsFolder(*entry)) continue;
      found_ = name;
      return found_.c_str();
    }
    Close();
    return nullptr;
  }

  bool IsFolder(const dirent& entry) const {
    if (entry.d_type == DT_DIR) return true;
    if (entry.d_type != DT_UNKNOWN && entry.d_type != DT_LNK) return false;
    struct stat st;
    std::string path = (folder_.empty() ? std::string() : folder_) + entry.d_name;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  void Close() {
    if (dir_) closedir(dir_);
    dir_ = nullptr;
  }

  DIR* dir_ = nullptr;
  std::string folder_;
  std::string namePattern_;
  std::string found_;
};

FileSearch::FileSearch() : state_(std::make_unique<State>()) {}

FileSearch::~FileSearch() = default;

const char* FileSearch::FindFirstName(std::string_view pattern) { return state_->First(pattern); }

const char* FileSearch::FindNextName() { return state_->Next(); }



}  // namespace platform
