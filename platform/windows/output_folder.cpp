#include "platform/output_folder.h"

#include <algorithm>
#include <new>

#include "base/diagnostics.h"
#include "platform/names.h"
#include "platform/paths.h"
#include "platform/system_error.h"
#include "platform/windows/wide.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

// The most one ReadFile or WriteFile call is asked to move (counts are
// DWORDs).
constexpr size_t kMostPerCall = size_t{1} << 30;

// Closes the handle when it goes.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE Get() const { return handle_; }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  bool Close() {
    if (!Valid()) return true;
    const bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

bool WriteAll(HANDLE file, const uint8_t* data, size_t size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, data, static_cast<DWORD>(std::min(size, kMostPerCall)), &written, nullptr))
      return false;
    if (written == 0) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    data += written;
    size -= written;
  }
  return true;
}

// Creates the folder `path` (its "\\?\" form) and every missing folder
// above it; true when it stands there afterwards (or something of its name
// does, which opening it then judges), false with the last error set.
bool MakeFolders(const std::wstring& path) {
  if (CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) return true;
  if (GetLastError() != ERROR_PATH_NOT_FOUND) return false;
  // The parent: everything before the last separator, trailing ones aside.
  // A root ("\\?\C:\", a share) is never created.
  size_t end = path.find_last_not_of(L'\\');
  if (end == std::wstring::npos) return false;
  end = path.find_last_of(L'\\', end);
  if (end == std::wstring::npos || end < 7) return false;  // at "\\?\C:\" or within it
  const std::wstring parent = path.substr(0, end);
  if (parent.ends_with(L':')) return false;
  if (!MakeFolders(parent)) return false;
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

class WindowsOutputFolder final : public OutputFolder {
 public:
  WindowsOutputFolder(std::wstring folder, const base::Translations& texts)
      : folder_(std::move(folder)), texts_(texts) {}

  Written Write(const std::string& name, std::span<const uint8_t> bytes, std::string& error) override {
    const std::wstring path = folder_ + windows::Wide(name);
    // CREATE_NEW fails on whatever is there, a link included.
    Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.Valid()) {
      const DWORD why = GetLastError();
      if (why == ERROR_FILE_EXISTS || why == ERROR_ALREADY_EXISTS) return Written::kExists;
      error = Describe({static_cast<int>(why)}, texts_);
      return Written::kFailed;
    }
    bool ok = WriteAll(file.Get(), bytes.data(), bytes.size());
    DWORD why = ok ? 0 : GetLastError();
    if (!file.Close() && ok) {
      ok = false;
      why = GetLastError();
    }
    if (ok) return Written::kWritten;
    DeleteFileW(path.c_str());
    error = Describe({static_cast<int>(why)}, texts_);
    return Written::kFailed;
  }

 private:
  std::wstring folder_;  // verbatim, ending in a backslash
  base::Translations texts_;
};

}  // namespace

std::unique_ptr<OutputFolder> OutputFolder::Open(const std::string& path, const base::Translations& texts,
                                                 std::string& error) {
  // Made full first, so that the long form names it: paths of any length,
  // and a member called CON or NUL is a file, not a device.
  const std::optional<std::string> full = FullFolderPath(path);
  const std::wstring folder = full ? windows::SystemPath(*full) : windows::Wide(path);
  if (!MakeFolders(folder)) {
    error = base::Format(texts.Tr("cannot create the folder %s: %s"), PathForMessage(path).c_str(),
                         Describe(LastSystemError(), texts).c_str());
    return nullptr;
  }
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const std::string why = attributes == INVALID_FILE_ATTRIBUTES ? Describe(LastSystemError(), texts)
                                                                  : texts.Tr("Not a directory");
    error =
        base::Format(texts.Tr("cannot open the folder %s: %s"), PathForMessage(path).c_str(), why.c_str());
    return nullptr;
  }
  return std::make_unique<WindowsOutputFolder>(folder.ends_with(L'\\') ? folder : folder + L'\\', texts);
}

}  // namespace platform
