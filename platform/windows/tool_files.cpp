#include "platform/tool_files.h"

#include <algorithm>
#include <new>

#include "base/diagnostics.h"
#include "platform/names.h"
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

// `path` made absolute with the "\\?\" prefix: the name that follows is taken
// as it is, so a member called CON or NUL is a file and not a device, and a
// trailing dot or blank stays.
std::wstring Verbatim(const std::wstring& path) {
  const DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return path;
  std::wstring full(need, L'\0');
  const DWORD got = GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
  if (got == 0 || got >= need) return path;
  full.resize(got);
  if (full.starts_with(L"\\\\?\\")) return full;
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
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

bool ReadRegularFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t maxSize,
                     const base::Translations& texts, std::string& error) {
  bytes.clear();
  // FILE_FLAG_BACKUP_SEMANTICS opens a folder too, so that it can be named.
  Handle file(CreateFileW(windows::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) {
    error = Describe(LastSystemError(), texts);
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
    error = texts.Tr("is not a regular file");
    return false;
  }
  if (!GetFileInformationByHandle(file.Get(), &info)) {
    error = Describe(LastSystemError(), texts);
    return false;
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    error = texts.Tr("is a folder");
    return false;
  }
  const uint64_t size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if (size > maxSize) {
    error = texts.Tr("is longer than any archive can be");
    return false;
  }
  try {
    bytes.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    error = texts.Tr("not enough memory to read it");
    return false;
  }
  size_t have = 0;
  while (have < bytes.size()) {
    DWORD got = 0;
    const DWORD ask = static_cast<DWORD>(std::min(bytes.size() - have, kMostPerCall));
    if (!ReadFile(file.Get(), bytes.data() + have, ask, &got, nullptr)) {
      error = Describe(LastSystemError(), texts);
      bytes.clear();
      return false;
    }
    if (got == 0) break;
    have += got;
  }
  bytes.resize(have);
  return true;
}

bool WriteFileInPlace(const std::string& path, std::span<const uint8_t> bytes,
                      const base::Translations& texts, std::string& error) {
  const std::string part = path + ".part";
  const std::wstring widePart = windows::Wide(part);
  DeleteFileW(widePart.c_str());
  Handle file(CreateFileW(widePart.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) {
    error = base::Format(texts.Tr("cannot create %s: %s"), PathForMessage(part).c_str(),
                         Describe(LastSystemError(), texts).c_str());
    return false;
  }
  if (!WriteAll(file.Get(), bytes.data(), bytes.size()) || !file.Close()) {
    error = base::Format(texts.Tr("cannot write %s: %s"), PathForMessage(part).c_str(),
                         Describe(LastSystemError(), texts).c_str());
    file.Close();
    DeleteFileW(widePart.c_str());
    return false;
  }
  // A link at `path` is replaced, not followed.
  if (!MoveFileExW(widePart.c_str(), windows::Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
    error = base::Format(texts.Tr("cannot rename %s to %s: %s"), PathForMessage(part).c_str(),
                         PathForMessage(path).c_str(), Describe(LastSystemError(), texts).c_str());
    DeleteFileW(widePart.c_str());
    return false;
  }
  return true;
}

std::unique_ptr<OutputFolder> OutputFolder::Open(const std::string& path, const base::Translations& texts,
                                                 std::string& error) {
  const std::wstring wide = windows::Wide(path);
  if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
    error = base::Format(texts.Tr("cannot create the folder %s: %s"), PathForMessage(path).c_str(),
                         Describe(LastSystemError(), texts).c_str());
    return nullptr;
  }
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const std::string why = attributes == INVALID_FILE_ATTRIBUTES ? Describe(LastSystemError(), texts)
                                                                  : texts.Tr("Not a directory");
    error =
        base::Format(texts.Tr("cannot open the folder %s: %s"), PathForMessage(path).c_str(), why.c_str());
    return nullptr;
  }
  std::wstring folder = Verbatim(wide);
  if (!folder.ends_with(L'\\')) folder += L'\\';
  return std::make_unique<WindowsOutputFolder>(std::move(folder), texts);
}

}  // namespace platform
