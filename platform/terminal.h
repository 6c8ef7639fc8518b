#pragma once

namespace platform {

// Waits for one key press on the console itself (no echo, no line editing,
// even when standard input is redirected) and returns its code; a key that
// reports 0 first (or 0xE0, on Windows) is read again for its second code.
// -1 when there is no console to read.
int ReadKey();

// The width in columns of the terminal that standard output writes to; 0
// when standard output is not a terminal or its width is unknown.
int TerminalColumns();

// How many processes share this process's console, itself included (1:
// the console was made for this process alone, as when Explorer starts
// it); 0 where there is no such count (POSIX systems) or no console.
unsigned ConsoleProcessCount();

}  // namespace platform
