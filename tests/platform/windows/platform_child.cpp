// A small program the Windows platform tests start in a process of its own:
//   platform_child print   the console's texts, as the converter prints them
//   platform_child folder  ExecutableFolder() on standard output
//   platform_child key     exits with ReadKey()'s code
//   platform_child interrupt FOLDER c|after
//                          writes files in FOLDER as a conversion does and
//                          interrupts itself with Ctrl-C, while the handling
//                          is there or after it has ended
//   platform_child interrupt FOLDER console
//                          the same with standard error on a console: a
//                          second copy of this program, on this one's
//                          console, is interrupted with a Japanese line;
//                          this one writes what the console then shows to
//                          standard output in UTF-8
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "platform/console.h"
#include "platform/interruption.h"
#include "platform/output_file.h"
#include "platform/paths.h"
#include "platform/terminal.h"
#include "platform/windows/wide.h"
#include "platform/windows/win32.h"

namespace {

// A console of its own to send the events through; standard output and
// error stay the pipes the test reads.
void TakeAConsoleOfItsOwn() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE), err = GetStdHandle(STD_ERROR_HANDLE);
  FreeConsole();
  AllocConsole();
  SetStdHandle(STD_OUTPUT_HANDLE, out);
  SetStdHandle(STD_ERROR_HANDLE, err);
}

bool Write(platform::OutputFile& file, std::string_view text) {
  return file.Write(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

// The spool and the archive's temporary file open, an earlier file renamed
// into place: then the event. Returns only when the event ends nothing.
int Interrupt(const std::string& folder, std::string_view how) {
  std::optional<platform::InterruptionHandling> handling;
  if (how == "on-console") {
    // 中断しました (and a code with no character, 85 40), in Shift-JIS.
    handling.emplace("never shown\n", "\x92\x86\x92\x66\x82\xB5\x82\xDC\x82\xB5\x82\xBD \x85\x40.\n");
  } else {
    TakeAConsoleOfItsOwn();
    handling.emplace("Interrupted.\n", "Interrupted after the rename.\n");
  }
  if (how == "after") handling.reset();
  std::optional<platform::OutputFile> spool = platform::OutputFile::Create(folder + "tmp.dat");
  std::optional<platform::OutputFile> renamed = platform::OutputFile::Create(folder + "renamed.part");
  if (!spool || !renamed || !Write(*spool, "spool") || !Write(*renamed, "renamed") || !renamed->Close())
    return 10;
  if (!platform::ReplaceFile(folder + "renamed.part", folder + "renamed")) return 11;
  std::optional<platform::OutputFile> part = platform::OutputFile::Create(folder + "DAV299.AVD.part");
  if (!part || !Write(*part, "part")) return 12;
  GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
  Sleep(20000);  // the handler ends the process long before
  return 13;
}

BOOL WINAPI StayOnEvent(DWORD) { return TRUE; }

// Starts a copy of this program interrupting itself on this process's
// console (one without a window: a test starts this one with
// CREATE_NO_WINDOW, which Wine can give without a display), with standard
// error there; then hands on what the console shows.
int InterruptOnAConsole(const std::string& folder) {
  SetConsoleCtrlHandler(StayOnEvent, TRUE);  // the event reaches every process of the console
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return 20;
  wchar_t self[MAX_PATH];
  if (GetModuleFileNameW(nullptr, self, MAX_PATH) == 0) return 21;
  // (A backslash before the closing quote is doubled, or it would escape it.)
  std::wstring commandLine = L"child interrupt \"" + platform::windows::Wide(folder) +
                             (folder.ends_with('\\') ? L"\\" : L"") + L"\" on-console";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = console;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process))
    return 22;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  // The console's rows, each without the blanks that fill it.
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) return 23;
  std::wstring shown;
  for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
    std::wstring row(static_cast<size_t>(info.dwSize.X), L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(console, row.data(), static_cast<DWORD>(row.size()), COORD{0, y}, &read);
    row.resize(read);
    while (!row.empty() && (row.back() == L' ' || row.back() == L'\0')) row.pop_back();
    shown += row + L"\n";
  }
  const std::string utf8 = platform::windows::Utf8(shown);
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  return static_cast<int>(status);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view mode = argc > 1 ? argv[1] : "";
  if (mode == "print") {
    platform::Console console;
    console.Print("\x92\x86\x8E~\x82\xB5\x82\xDC\x82\xB5\x82\xBD.\n\n");  // 中止しました.
    console.ShowProgress("Pictures: 1 done, now A.MOE");
    console.Printf("%s %zu\r\n", "\x83L\x83\x8B\x83i\x81[\x83g", size_t{42});
    console.ClearProgress();
    console.Print(std::string_view("\x00\x80\xFF\x81", 4));  // a lone lead byte at the end
    return 0;
  }
  if (mode == "folder") {
    const std::string folder = platform::ExecutableFolder();
    std::fwrite(folder.data(), 1, folder.size(), stdout);
    return 0;
  }
  if (mode == "key") return platform::ReadKey();
  if (mode == "interrupt" && argc == 4 && std::string_view(argv[3]) == "console")
    return InterruptOnAConsole(argv[2]);
  if (mode == "interrupt" && argc == 4) return Interrupt(argv[2], argv[3]);
  return 2;
}
