#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/file_store.h"

namespace test_support {

// Files in memory, as the archive writer sees files; every write to the spool fails once it would take the
// spool beyond `spoolLimit` bytes.
class MemoryFiles final : public base::FileStore {
 public:
  explicit MemoryFiles(uint64_t spoolLimit = UINT64_MAX) : spoolLimit_(spoolLimit) {}

  // Creating a file whose path ends in `suffix` fails as one that cannot be
  // noted for removal on an interruption.
  void RefuseToTrack(std::string suffix) { untracked_ = std::move(suffix); }

  std::unique_ptr<base::WrittenFile> Create(const std::string& path,
                                            base::CreateFailure& why) const override {
    if (!untracked_.empty() && path.ends_with(untracked_)) {
      why = base::CreateFailure::kCannotTrack;
      return nullptr;
    }
    auto bytes = std::make_shared<std::vector<uint8_t>>();
    files_[path] = bytes;
    const bool isSpool = path.size() >= 7 && path.compare(path.size() - 7, 7, "tmp.dat") == 0;
    return std::make_unique<File>(std::move(bytes), isSpool ? spoolLimit_ : UINT64_MAX);
  }
  bool Replace(const std::string& from, const std::string& to) const override {
    auto it = files_.find(from);
    if (it == files_.end()) return false;
    files_[to] = std::move(it->second);
    files_.erase(from);
    return true;
  }
  bool Remove(const std::string& path) const override { return files_.erase(path) == 1; }

  const std::vector<uint8_t>* Find(const std::string& path) const {
    auto it = files_.find(path);
    return it == files_.end() ? nullptr : it->second.get();
  }

 private:
  class File final : public base::WrittenFile {
   public:
    File(std::shared_ptr<std::vector<uint8_t>> bytes, uint64_t limit)
        : bytes_(std::move(bytes)), limit_(limit) {}
    bool Write(const uint8_t* data, size_t size) override {
      if (bytes_->size() + size > limit_) return false;
      bytes_->insert(bytes_->end(), data, data + size);
      return true;
    }
    bool ReadAt(uint8_t* dest, size_t size, uint64_t offset) override {
      if (offset > bytes_->size() || size > bytes_->size() - offset) return false;
      std::copy_n(bytes_->begin() + static_cast<ptrdiff_t>(offset), size, dest);
      return true;
    }
    bool Flush() override { return true; }
    bool Close() override { return true; }

   private:
    std::shared_ptr<std::vector<uint8_t>> bytes_;
    uint64_t limit_;
  };

  uint64_t spoolLimit_;
  std::string untracked_;
  // The files by path; a file taken away by Replace or Remove lives on while
  // it is open.
  mutable std::map<std::string, std::shared_ptr<std::vector<uint8_t>>> files_;
};

}  // namespace test_support
