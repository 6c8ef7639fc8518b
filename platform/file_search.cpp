#include "platform/file_search.h"

#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace platform {
namespace {

unsigned char Fold(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 0x20) : u;
}

// Glob match with '*' and '?', iterative with one backtracking point.
bool GlobMatch(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

class FileSearch {
 public:
  ~FileSearch() { Close(); }

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

 private:
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

FileSearch& TheSearch() {
  static FileSearch search;
  return search;
}

}  // namespace

bool NameMatches(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;
  return GlobMatch(pattern, name);
}

const char* FindFirstName(std::string_view pattern) { return TheSearch().First(pattern); }

const char* FindNextName() { return TheSearch().Next(); }

}  // namespace platform
