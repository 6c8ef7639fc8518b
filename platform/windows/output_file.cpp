#include "platform/output_file.h"

#include <algorithm>

#include "platform/interruption.h"
#include "platform/windows/wide.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

// The most one WriteFile or ReadFile call is asked to move (counts are
// DWORDs).
constexpr size_t kMostPerCall = size_t{1} << 30;

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

std::optional<OutputFile> OutputFile::Create(const std::string& path, base::CreateFailure* why) {
  // Noted before it exists, so an interruption at any moment from here on
  // removes it; whatever stood there was about to be removed anyway. A file
  // an interruption could not remove is not made at all.
  if (!NoteCreatedFile(path)) {
    if (why) *why = base::CreateFailure::kCannotTrack;
    return std::nullopt;
  }
  const std::wstring name = windows::SystemPath(path);
  // A file another run is writing stays its own: two runs into one folder
  // never share a spool. That run shares its file for removal only, so
  // asking to read it fails with a sharing violation.
  const HANDLE other =
      CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (other != INVALID_HANDLE_VALUE) {
    CloseHandle(other);
  } else if (GetLastError() == ERROR_SHARING_VIOLATION) {
    ForgetCreatedFile(path);
    if (why) *why = base::CreateFailure::kInUse;
    SetLastError(ERROR_SHARING_VIOLATION);
    return std::nullopt;
  }
  // DeleteFileW removes a leftover file and fails on a folder, which
  // CREATE_NEW then refuses, as it refuses anything made in between.
  DeleteFileW(name.c_str());
  // FILE_SHARE_DELETE only: an interruption removes the file while it is
  // open, and no other run can open it.
  const HANDLE file = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // Kept for LastSystemError. A folder that stands at the name and stays
    // tells more than that something does.
    DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      error = ERROR_DIRECTORY_NOT_SUPPORTED;
    ForgetCreatedFile(path);
    SetLastError(error);
    if (why) *why = base::CreateFailure::kCannotCreate;
    return std::nullopt;
  }
  return OutputFile(reinterpret_cast<intptr_t>(file));
}

bool OutputFile::Write(const uint8_t* data, size_t size) {
  if (handle_ == kClosed) return false;
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(Handle(handle_), data, static_cast<DWORD>(std::min(size, kMostPerCall)), &written,
                   nullptr) ||
        written == 0) {
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

bool OutputFile::ReadAt(uint8_t* dest, size_t size, uint64_t offset) {
  if (handle_ == kClosed) return false;
  // Every byte asked for must lie at an offset the system can name.
  constexpr uint64_t kMostOffset = static_cast<uint64_t>(INT64_MAX);
  if (offset > kMostOffset || size > kMostOffset - offset) return false;
  // A read at an offset moves the file's position on a handle opened for
  // plain (not overlapped) use: put it back, so writes go on appending.
  LARGE_INTEGER position{};
  const LARGE_INTEGER zero{};
  if (!SetFilePointerEx(Handle(handle_), zero, &position, FILE_CURRENT)) return false;
  bool ok = true;
  while (ok && size > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    ok = ReadFile(Handle(handle_), dest, static_cast<DWORD>(std::min(size, kMostPerCall)), &got, &at) &&
         got > 0;
    dest += got;
    size -= got;
    offset += got;
  }
  return SetFilePointerEx(Handle(handle_), position, nullptr, FILE_BEGIN) && ok;
}

bool OutputFile::Flush() {
  if (handle_ == kClosed) return false;
  return FlushFileBuffers(Handle(handle_)) != 0;
}

bool OutputFile::Close() {
  if (handle_ == kClosed) return false;
  // The handle is gone whatever CloseHandle returns; it is never retried.
  const bool closed = CloseHandle(Handle(handle_)) != 0;
  handle_ = kClosed;
  return closed;
}

namespace {

// One step that returns only once the move is on the disk; with `replace`
// it replaces an earlier file, without it fails where anything stands.
bool Move(const std::string& from, const std::string& to, bool replace) {
  const std::wstring target = windows::SystemPath(to);
  if (!MoveFileExW(windows::SystemPath(from).c_str(), target.c_str(),
                   (replace ? MOVEFILE_REPLACE_EXISTING : 0) | MOVEFILE_WRITE_THROUGH)) {
    // A folder at the name tells more than the access it denies.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
      SetLastError(ERROR_DIRECTORY_NOT_SUPPORTED);
    return false;
  }
  ForgetCreatedFile(from);  // in place now: an interruption must keep it
  NoteFileReplaced();
  return true;
}

}  // namespace

bool ReplaceFile(const std::string& from, const std::string& to) { return Move(from, to, true); }

bool MoveToFreeName(const std::string& from, const std::string& to) { return Move(from, to, false); }

bool RemoveFile(const std::string& path) {
  const bool removed = DeleteFileW(windows::SystemPath(path).c_str()) != 0;
  if (removed || GetLastError() == ERROR_FILE_NOT_FOUND) ForgetCreatedFile(path);
  return removed;
}

}  // namespace platform
