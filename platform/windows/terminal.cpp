#include "platform/terminal.h"

#include <conio.h>

#include "platform/windows/console_line.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

// True when the process has a console to read keys from (whatever standard
// input is redirected to); _getch reads that console.
bool HasConsoleInput() {
  const HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (input == INVALID_HANDLE_VALUE) return false;
  CloseHandle(input);
  return true;
}

}  // namespace

int ReadKey() {
  if (!HasConsoleInput()) return -1;
  int key = _getch();
  // Arrows, function keys and the like report 0 or 0xE0 first: the code is
  // the second one.
  if (key == 0 || key == 0xE0) key = _getch();
  return key;
}

int TerminalColumns() {
  const HANDLE console = windows::StandardOutputConsole();
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!console || !GetConsoleScreenBufferInfo(console, &info)) return 0;
  // The visible part of the console's buffer.
  const int columns = info.srWindow.Right - info.srWindow.Left + 1;
  return columns > 0 ? columns : 0;
}

unsigned ConsoleProcessCount() {
  // The list itself is not needed: asked for room for one, the call
  // returns how many there are.
  DWORD first = 0;
  return static_cast<unsigned>(GetConsoleProcessList(&first, 1));
}

}  // namespace platform
