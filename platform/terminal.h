#pragma once

#include <optional>
#include <string>

struct termios;

namespace platform {

// Opens the controlling terminal and puts it in raw mode (no line editing,
// no echo, no signal keys), keeping its former mode in `saved`; -1 when there
// is no terminal.
int OpenRawTerminal(struct termios& saved);

// Waits for one key press on the controlling terminal (raw mode, no echo,
// even when standard input is redirected) and returns its code; -1 when there
// is no terminal to read.
int ReadKey();

// Lets the user pick the game folder in a modal chooser on the controlling
// terminal. Returns the folder's absolute path with one separator appended,
// or nothing when the user cancels or there is no terminal.
std::optional<std::string> ChooseGameFolder();

}  // namespace platform
