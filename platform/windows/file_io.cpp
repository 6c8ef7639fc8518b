#include "platform/file_io.h"

#include <algorithm>

#include "platform/windows/wide.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The most one ReadFile call is asked to move (its count is a DWORD).
constexpr uint64_t kMostPerCall = uint64_t{1} << 30;

}  // namespace

// Windows finds every name regardless of letter case by itself.
std::string ResolvePath(std::string_view path) { return std::string(path); }

Result<InputFile> InputFile::OpenAsWritten(const std::string& path) {
  // FILE_FLAG_BACKUP_SEMANTICS opens a folder too, so that it can be told
  // apart; devices and pipes open without waiting and are told by their type.
  const HANDLE file =
      CreateFileW(windows::SystemPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastSystemError();
  if (GetFileType(file) != FILE_TYPE_DISK)
    return InputFile(reinterpret_cast<intptr_t>(file), 0, FileKind::kOther);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) {
    const SystemError error = LastSystemError();
    CloseHandle(file);
    return error;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return InputFile(reinterpret_cast<intptr_t>(file), 0, FileKind::kFolder);
  const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  return InputFile(reinterpret_cast<intptr_t>(file), size, FileKind::kRegular);
}

void InputFile::Close() {
  if (handle_ != kClosed) CloseHandle(Handle(handle_));
  handle_ = kClosed;
}

Result<uint64_t> InputFile::ReadFromStart(uint8_t* dest, uint64_t size) {
  uint64_t done = 0;
  while (done < size) {
    // Each read names its offset, so the file's own position never matters.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(done);
    at.OffsetHigh = static_cast<DWORD>(done >> 32);
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(std::min(size - done, kMostPerCall));
    if (!ReadFile(Handle(handle_), dest + done, ask, &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return LastSystemError();
    }
    if (got == 0) break;
    done += got;
  }
  return done;
}

namespace {

// The attributes of what `path` names; nothing when nothing does.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> Attributes(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(windows::SystemPath(path).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  return data;
}

}  // namespace

std::optional<uint64_t> FileSize(const std::string& path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = Attributes(path);
  if (!data || (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return std::nullopt;
  return (uint64_t{data->nFileSizeHigh} << 32) | data->nFileSizeLow;
}

bool AnythingAt(const std::string& path) { return Attributes(path).has_value(); }

bool SpecialFileAt(const std::string&) { return false; }

// A link to a folder carries the folder attribute too.
bool IsFolder(const std::string& path) {
  const std::optional<WIN32_FILE_ATTRIBUTE_DATA> data = Attributes(path);
  return data && (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace platform
