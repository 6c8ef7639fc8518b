// Folders listed with readdir, for the file search.
#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "platform/file_io.h"
#include "platform/folder_reader.h"
#include "platform/paths.h"

namespace platform {
namespace {

// The folder part of the pattern is resolved without regard to case.
class PosixFolderReader final : public FolderReader {
 public:
  ~PosixFolderReader() override { Close(); }

  bool Open(std::string_view pattern) override {
    folder_ = std::string(pattern.substr(0, NamePartStart(pattern)));
    std::string folder = folder_.empty() ? std::string(".") : ResolvePath(folder_);
    if (!folder_.empty()) folder_ = folder.back() == kSeparator ? folder : folder + kSeparator;
    dir_ = opendir(folder.c_str());
    return dir_ != nullptr;
  }

  bool Next(std::string_view& name) override {
    entry_ = dir_ ? readdir(dir_) : nullptr;
    if (!entry_) return false;
    name = entry_->d_name;
    return true;
  }

  // The entry's type where the folder reports it, its target's otherwise.
  bool IsFolder() const override {
    if (!entry_) return false;
    if (entry_->d_type == DT_DIR) return true;
    if (entry_->d_type != DT_UNKNOWN && entry_->d_type != DT_LNK) return false;
    struct stat st;
    const std::string path = folder_ + entry_->d_name;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  void Close() override {
    if (dir_) closedir(dir_);
    dir_ = nullptr;
    entry_ = nullptr;
  }

 private:
  DIR* dir_ = nullptr;
  const dirent* entry_ = nullptr;
  std::string folder_;  // resolved, ending in the separator; empty for the working folder
};

}  // namespace

std::unique_ptr<FolderReader> MakeFolderReader() { return std::make_unique<PosixFolderReader>(); }

}  // namespace platform
