#pragma once

#include <termios.h>

namespace platform::posix {

// The controlling terminal, opened and put in raw mode (no line editing, no
// echo, no signal keys) for the lifetime of the object; its former mode is
// put back at the end.
class RawTerminal {
 public:
  RawTerminal();
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  // -1 when there is no terminal.
  int Fd() const { return fd_; }
  const termios& Saved() const { return saved_; }

 private:
  int fd_ = -1;
  termios saved_{};
};

}  // namespace platform::posix
