// The parts of file reading that are the same on every platform.
#include "platform/file_io.h"

#include <exception>

namespace platform {

InputFile::InputFile(InputFile&& other) noexcept
    : handle_(other.handle_), size_(other.size_), kind_(other.kind_) {
  other.handle_ = kClosed;
}

InputFile& InputFile::operator=(InputFile&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    size_ = other.size_;
    kind_ = other.kind_;
    other.handle_ = kClosed;
  }
  return *this;
}

InputFile::~InputFile() { Close(); }

std::optional<InputFile> InputFile::Open(std::string_view path) {
  Result<InputFile> file = OpenAsWritten(ResolvePath(path));
  if (!file || file->Kind() != FileKind::kRegular) return std::nullopt;
  return std::move(*file);
}

bool InputFile::ReadAll(uint8_t* dest, uint64_t size) {
  const Result<uint64_t> got = ReadFromStart(dest, size);
  return got && *got == size;
}

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
