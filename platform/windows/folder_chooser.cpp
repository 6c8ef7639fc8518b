#include "platform/folder_chooser.h"

#include <cstring>
#include <string_view>

#include "platform/paths.h"
#include "platform/windows/win32.h"
// After windows.h, which the shell's headers need.
#include <objbase.h>
#include <shlobj.h>

namespace platform {
namespace {

// "ゲームフォルダの選択" in Shift-JIS, as the dialog is given it.
constexpr char kTitle[] = "\x83Q\x81[\x83\x80\x83t\x83H\x83\x8B\x83_\x82\xCC\x91I\x91\xF0";

// COM for the dialog, on this thread, for the lifetime of the object.
class ComForThisThread {
 public:
  ComForThisThread() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComForThisThread() {
    if (initialized_) CoUninitialize();
  }
  ComForThisThread(const ComForThisThread&) = delete;
  ComForThisThread& operator=(const ComForThisThread&) = delete;

 private:
  bool initialized_;
};

}  // namespace

// The shell's own folder dialog: no owner window, the whole namespace from
// its root, no options. The console plays no part.
std::optional<std::string> ChooseGameFolder(const Console& /*console*/) {
  ComForThisThread com;
  char display[MAX_PATH] = {};
  BROWSEINFOA info{};
  info.hwndOwner = nullptr;
  info.pidlRoot = nullptr;
  info.pszDisplayName = display;
  info.lpszTitle = kTitle;
  info.ulFlags = 0;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderA(&info);
  if (chosen == nullptr) return std::nullopt;  // cancelled, or the dialog could not be shown
  char path[MAX_PATH] = {};
  // Fails for a virtual folder (Control Panel, a printer): nothing to read.
  const bool isFolder = SHGetPathFromIDListA(chosen, path) != 0;
  CoTaskMemFree(chosen);
  if (!isFolder) return std::nullopt;
  std::string folder(path, strnlen(path, sizeof path));
  if (folder.empty()) return std::nullopt;
  // A drive's root ("C:\") has its separator already.
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

}  // namespace platform
