#include "platform/paths.h"

#include <vector>

#include "platform/windows/win32.h"

namespace platform {
namespace {

// The largest path Windows can hand back (its long-path limit), in bytes.
constexpr DWORD kMostPath = 32768 * 3;

}  // namespace

std::string ExecutableFolder() {
  // GetModuleFileNameA fills the buffer to the brim when the path does not
  // fit: a path that fills it may be cut, so ask again with more room.
  std::vector<char> module(MAX_PATH + 1);
  DWORD length = 0;
  for (;;) {
    length = GetModuleFileNameA(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (length == 0) return {};
    if (length < module.size()) break;
    if (module.size() >= kMostPath) return {};
    module.resize(module.size() * 2);
  }
  // The full path, and where its file part starts: the folder is what
  // stands before it, separator included.
  std::vector<char> full(MAX_PATH + 1);
  for (;;) {
    char* filePart = nullptr;
    const DWORD n = GetFullPathNameA(module.data(), static_cast<DWORD>(full.size()), full.data(), &filePart);
    if (n == 0) return {};
    if (n < full.size()) {
      if (filePart == nullptr || filePart < full.data() || filePart > full.data() + n) return {};
      return std::string(full.data(), static_cast<size_t>(filePart - full.data()));
    }
    if (n > kMostPath) return {};
    full.resize(n + 1);  // n counts the terminating zero when it does not fit
  }
}

}  // namespace platform
