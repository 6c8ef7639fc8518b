// What OutputFile and the archive writer's files have in common on every
// platform.
#include "platform/output_file.h"

#include "platform/system_error.h"
#include "platform/interruption.h"

namespace platform {
namespace {

class DiskFile final : public base::WrittenFile {
 public:
  explicit DiskFile(OutputFile file) : file_(std::move(file)) {}
  bool Write(const uint8_t* data, size_t size) override { return file_.Write(data, size); }
  bool ReadAt(uint8_t* dest, size_t size, uint64_t offset) override {
    return file_.ReadAt(dest, size, offset);
  }
  bool Flush() override { return file_.Flush(); }
  bool Close() override { return file_.Close(); }

 private:
  OutputFile file_;
};

}  // namespace

OutputFile::OutputFile(OutputFile&& other) noexcept : handle_(other.handle_) { other.handle_ = kClosed; }

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kClosed;
  }
  return *this;
}

OutputFile::~OutputFile() { Close(); }

void DiskFileStore::NoteReason() const {
  static const base::Translations kEnglish;
  reason_ = Describe(LastSystemError(), texts_ ? *texts_ : kEnglish);
}

std::unique_ptr<base::WrittenFile> DiskFileStore::Create(const std::string& path,
                                                         base::CreateFailure& why) const {
  std::optional<OutputFile> file = OutputFile::Create(path, &why);
  if (!file) {
    NoteReason();
    return nullptr;
  }
  return std::make_unique<DiskFile>(std::move(*file));
}

bool DiskFileStore::Replace(const std::string& from, const std::string& to) const {
  if (ReplaceFile(from, to)) return true;
  NoteReason();
  return false;
}

bool DiskFileStore::Remove(const std::string& path) const { return RemoveFile(path); }

void DiskFileStore::Keep(const std::string& path) const { ForgetCreatedFile(path); }

}  // namespace platform
