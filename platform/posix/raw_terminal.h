#pragma once

#include <optional>
#include <string_view>

#include "platform/posix/signal_handlers.h"

namespace platform::posix {

// The controlling terminal, opened and put in raw mode (no line editing, no
// echo, no signal keys) for the lifetime of the object; `enter` is written
// to it then. At the end `leave` is written and the former mode put back,
// and so they are when a signal ends the process meanwhile: SIGINT, SIGTERM,
// SIGHUP or SIGQUIT, which in raw mode come only from elsewhere (kill, a
// terminal that closed). Such a signal then ends the process as it would
// have without the object; one the process was started ignoring stays
// ignored. `enter` and `leave` are written by a signal handler and must
// outlive the object (literals). One object at a time.
class RawTerminal {
 public:
  explicit RawTerminal(std::string_view enter = {}, std::string_view leave = {});
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  // -1 when there is no terminal.
  int Fd() const { return fd_; }

 private:
  void Open(std::string_view enter, std::string_view leave);
  void Close();

  int fd_ = -1;
  std::optional<SignalHandlers> handlers_;
};

}  // namespace platform::posix
