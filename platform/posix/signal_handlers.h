#pragma once

#include <signal.h>

#include <functional>
#include <initializer_list>
#include <vector>

namespace platform::posix {

// Handlers of our own for a few signals while the object lives: the one way
// this program takes over a signal on POSIX systems.
//
// Everything happens with all of `signals` blocked in the calling thread, so
// that a handler never finds the state it reads half set up or half taken
// down: `setUp` runs, then the handlers are installed; at the end `tearDown`
// runs, then the former handlers are put back, then the former mask. A
// signal the process was started ignoring (nohup, a background job of a
// shell without job control) is left alone: it stays ignored. While the
// handler runs, the other signals of the set are blocked too.
class SignalHandlers {
 public:
  // What the calling thread's mask is once the handlers are in place.
  enum class Mask {
    kAsBefore,
    // The signals stay blocked until the object ends, for a wait that lets
    // them through alone (ppoll with FormerMask() less the signals).
    kKeptBlocked,
  };

  SignalHandlers(std::initializer_list<int> signals, void (*handler)(int),
                 const std::function<void()>& setUp = {}, std::function<void()> tearDown = {},
                 Mask mask = Mask::kAsBefore);
  ~SignalHandlers();
  SignalHandlers(const SignalHandlers&) = delete;
  SignalHandlers& operator=(const SignalHandlers&) = delete;

  // The calling thread's mask before the object.
  const sigset_t& FormerMask() const { return formerMask_; }

 private:
  struct Former {
    int signal;
    struct sigaction action;
  };

  sigset_t set_;
  sigset_t formerMask_;
  std::function<void()> tearDown_;
  std::vector<Former> replaced_;  // the signals whose handler is ours
};

}  // namespace platform::posix
