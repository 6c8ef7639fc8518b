#include "platform/paths.h"

#include <vector>

#include "platform/arguments.h"
#include "platform/windows/wide.h"
#include "platform/windows/win32.h"
// After windows.h, which it needs.
#include <shellapi.h>

namespace platform {
namespace {

// The largest path Windows can hand back (its long-path limit), in UTF-16
// units.
constexpr DWORD kMostPath = 32768;

}  // namespace

std::string ExecutableFolder() {
  // GetModuleFileNameW fills the buffer to the brim when the path does not
  // fit: a path that fills it may be cut, so ask again with more room.
  std::vector<wchar_t> module(MAX_PATH + 1);
  DWORD length = 0;
  for (;;) {
    length = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (length == 0) return {};
    if (length < module.size()) break;
    if (module.size() >= kMostPath) return {};
    module.resize(module.size() * 2);
  }
  // The full path, and where its file part starts: the folder is what
  // stands before it, separator included.
  std::vector<wchar_t> full(MAX_PATH + 1);
  for (;;) {
    wchar_t* filePart = nullptr;
    const DWORD n = GetFullPathNameW(module.data(), static_cast<DWORD>(full.size()), full.data(), &filePart);
    if (n == 0) return {};
    if (n < full.size()) {
      if (filePart == nullptr || filePart < full.data() || filePart > full.data() + n) return {};
      return windows::Utf8(std::wstring_view(full.data(), static_cast<size_t>(filePart - full.data())));
    }
    if (n > kMostPath) return {};
    full.resize(n + 1);  // n counts the terminating zero when it does not fit
  }
}

std::string WorkingFolder() {
  std::vector<wchar_t> buf(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetCurrentDirectoryW(static_cast<DWORD>(buf.size()), buf.data());
    if (n == 0 || n > kMostPath) return {};
    if (n < buf.size()) {
      std::string folder = windows::Utf8(std::wstring_view(buf.data(), n));
      if (folder.empty() || kSeparators.find(folder.back()) == std::string_view::npos) folder += kSeparator;
      return folder;
    }
    buf.resize(n + 1);  // n counts the terminating zero when it does not fit
  }
}

std::optional<std::string> FullFolderPath(std::string_view folder) {
  const std::wstring given = windows::Wide(folder);
  if (given.empty()) return std::nullopt;
  std::vector<wchar_t> full(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return std::nullopt;
    if (n < full.size()) {
      std::string path = windows::Utf8(std::wstring_view(full.data(), n));
      if (path.empty()) return std::nullopt;
      if (path.back() != kSeparator) path += kSeparator;
      return path;
    }
    if (n > kMostPath) return std::nullopt;
    full.resize(n + 1);  // n counts the terminating zero when it does not fit
  }
}

namespace {

// The volume and the file index of the file or folder at `path`: what
// tells it from every other whatever its path.
std::optional<BY_HANDLE_FILE_INFORMATION> Identity(const std::string& path) {
  // FILE_FLAG_BACKUP_SEMANTICS opens a folder too; no access right is
  // needed to read the identity.
  const HANDLE file = CreateFileW(windows::SystemPath(path).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool known = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  if (!known) return std::nullopt;
  return info;
}

bool SameIdentity(const std::optional<BY_HANDLE_FILE_INFORMATION>& a,
                  const std::optional<BY_HANDLE_FILE_INFORMATION>& b) {
  return a && b && a->dwVolumeSerialNumber == b->dwVolumeSerialNumber &&
         a->nFileIndexHigh == b->nFileIndexHigh && a->nFileIndexLow == b->nFileIndexLow;
}

}  // namespace

bool SameFolder(const std::string& a, const std::string& b) {
  const std::optional<BY_HANDLE_FILE_INFORMATION> first = Identity(a);
  return first && (first->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         SameIdentity(first, Identity(b));
}

bool SameFile(const std::string& a, const std::string& b) { return SameIdentity(Identity(a), Identity(b)); }

// The command line split as the C runtime splits it, but in UTF-16: the
// ANSI argv holds '?' for every character the code page lacks.
std::vector<std::string> ProgramArguments(int /*argc*/, char** /*argv*/) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return {};
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(windows::Utf8(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace platform
