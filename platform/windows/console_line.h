#pragma once

#include "platform/windows/win32.h"

namespace platform::windows {

// Blanks `console`'s current line from the cursor's column (or from its
// start) to its end, without moving the cursor; the console API's "\x1b[K",
// which consoles without VT processing lack.
inline void BlankToEndOfLine(HANDLE console, bool fromStart) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) return;
  COORD from = info.dwCursorPosition;
  if (fromStart) from.X = 0;
  if (from.X < 0 || from.X >= info.dwSize.X) return;
  const DWORD count = static_cast<DWORD>(info.dwSize.X - from.X);
  DWORD done = 0;
  FillConsoleOutputCharacterW(console, L' ', count, from, &done);
  FillConsoleOutputAttribute(console, info.wAttributes, count, from, &done);
}

// Moves the cursor to the start of its line and blanks the line: "\r\x1b[K".
inline void EraseLine(HANDLE console) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) return;
  COORD start = info.dwCursorPosition;
  start.X = 0;
  SetConsoleCursorPosition(console, start);
  BlankToEndOfLine(console, true);
}

// The console standard output writes to, or null when it is a pipe or file.
inline HANDLE StandardOutputConsole() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (out == nullptr || out == INVALID_HANDLE_VALUE || !GetConsoleMode(out, &mode)) return nullptr;
  return out;
}

}  // namespace platform::windows
