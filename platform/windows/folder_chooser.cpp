#include "platform/folder_chooser.h"

#include <cwchar>
#include <string_view>

#include "platform/console.h"
#include "platform/paths.h"
#include "platform/windows/folder_choice.h"
#include "platform/windows/wide.h"
#include "platform/windows/win32.h"
// After windows.h, which the shell's headers need.
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace platform {
namespace windows {

std::optional<std::string> FolderOfDialogPath(std::wstring_view path) {
  std::string folder = Utf8(path);
  if (folder.empty()) return std::nullopt;
  // A drive's root ("C:\") has its separator already.
  if (folder.back() != kSeparator) folder += kSeparator;
  return folder;
}

std::optional<std::string> ChooseFolder(const std::function<std::optional<std::string>()>& browse,
                                        const std::function<Answer()>& ask,
                                        const FolderCheck& holdsGameData) {
  for (;;) {
    std::optional<std::string> folder = browse();
    if (!folder || !holdsGameData || holdsGameData(*folder)) return folder;
    switch (ask()) {
      case Answer::kYes:
        return folder;
      case Answer::kNo:
        break;  // choose again
      case Answer::kNoAnswer:
        return std::nullopt;
    }
  }
}

}  // namespace windows

namespace {

// "ゲームフォルダの選択", in characters: it reads right whatever the
// system's code page.
constexpr wchar_t kTitle[] = L"\u30B2\u30FC\u30E0\u30D5\u30A9\u30EB\u30C0\u306E\u9078\u629E";
// The question about a folder without game data.
constexpr wchar_t kQuestionCaption[] = L"avdconv";

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

// The largest path a dialog hands back, in UTF-16 units with its ending
// zero: Windows' long-path limit.
constexpr DWORD kMostPath = 32768;

// Releases a COM object when it goes.
template <typename T>
struct Released {
  T* object = nullptr;
  ~Released() {
    if (object) object->Release();
  }
};

// The shell's folder picker: no owner window, file-system folders only.
// Nothing when it is cancelled or cannot be shown.
std::optional<std::string> PickFolder(IFileOpenDialog& dialog) {
  FILEOPENDIALOGOPTIONS options = 0;
  if (FAILED(dialog.GetOptions(&options)) ||
      FAILED(dialog.SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR)))
    return std::nullopt;
  dialog.SetTitle(kTitle);
  if (FAILED(dialog.Show(nullptr))) return std::nullopt;
  Released<IShellItem> item;
  if (FAILED(dialog.GetResult(&item.object))) return std::nullopt;
  PWSTR path = nullptr;
  if (FAILED(item.object->GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr) return std::nullopt;
  std::optional<std::string> folder = windows::FolderOfDialogPath(path);
  CoTaskMemFree(path);
  return folder;
}

// The older folder dialog, where the picker is missing: the whole namespace
// from its root. Nothing when it is cancelled, cannot be shown, or a virtual
// folder (Control Panel, a printer) is chosen.
std::optional<std::string> BrowseForFolderTheOldWay() {
  wchar_t display[MAX_PATH] = {};
  BROWSEINFOW info{};
  info.hwndOwner = nullptr;
  info.pidlRoot = nullptr;
  info.pszDisplayName = display;
  info.lpszTitle = kTitle;
  info.ulFlags = 0;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr) return std::nullopt;
  std::wstring path(kMostPath, L'\0');
  const bool isFolder = SHGetPathFromIDListEx(chosen, path.data(), kMostPath, GPFIDL_DEFAULT) != 0;
  CoTaskMemFree(chosen);
  if (!isFolder) return std::nullopt;
  path.resize(wcsnlen(path.data(), path.size()));
  return windows::FolderOfDialogPath(path);
}

// A folder of any length from the shell's dialog.
std::optional<std::string> BrowseForFolder() {
  Released<IFileOpenDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                              reinterpret_cast<void**>(&dialog.object))))
    return BrowseForFolderTheOldWay();
  return PickFolder(*dialog.object);
}

// The question about a folder without game data, in the console's language
// (its catalog text is Shift-JIS, code page 932).
windows::Answer AskAboutFolderWithoutGameData(const Console& console) {
  const std::wstring question = windows::WideOfCodePage(
      932, console.Tr("No game data in this folder (no MES\\*.SIO, no *.MOE).\n\nConvert it anyway?"));
  switch (MessageBoxW(nullptr, question.c_str(), kQuestionCaption,
                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TASKMODAL | MB_SETFOREGROUND)) {
    case IDYES:
      return windows::Answer::kYes;
    case IDNO:
      return windows::Answer::kNo;
    default:  // the box could not be shown
      return windows::Answer::kNoAnswer;
  }
}

}  // namespace

// Windows' own dialogs; the console plays no part.
std::optional<std::string> ChooseGameFolder(const Console& console, const FolderCheck& holdsGameData) {
  ComForThisThread com;
  return windows::ChooseFolder(
      BrowseForFolder, [&console] { return AskAboutFolderWithoutGameData(console); }, holdsGameData);
}

}  // namespace platform
