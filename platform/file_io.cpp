// The parts of file reading that are the same on every platform.
#include "platform/file_io.h"

#include <exception>

namespace platform {

InputFile::InputFile(InputFile&& other) noexcept : handle_(other.handle_), size_(other.size_) {
  other.handle_ = kClosed;
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    size_ = other.size_;
    other.handle_ = kClosed;
  }
  return *this;
}

InputFile::~InputFile() { Close(); }

ReadStatus ReadWholeFile(std::string_view path, std::vector<uint8_t>& bytes, uint64_t maxSize) {
  bytes.clear();
  std::optional<InputFile> file = InputFile::Open(path);
  if (!file) return ReadStatus::kCannotOpen;
  if (file->Size() == 0) return ReadStatus::kEmpty;
  if (file->Size() > maxSize) return ReadStatus::kTooLarge;
  try {
    bytes.resize(file->Size());
  } catch (const std::exception&) {
    return ReadStatus::kNoMemory;
  }
  if (!file->ReadAll(bytes.data(), bytes.size())) {
    bytes.clear();
    return ReadStatus::kReadError;
  }
  return ReadStatus::kOk;
}

}  // namespace platform
