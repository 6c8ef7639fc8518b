#include "platform/posix/signal_handlers.h"

#include <pthread.h>

#include <utility>

namespace platform::posix {

SignalHandlers::SignalHandlers(std::initializer_list<int> signals, void (*handler)(int),
                               const std::function<void()>& setUp, std::function<void()> tearDown, Mask mask)
    : tearDown_(std::move(tearDown)) {
  sigemptyset(&set_);
  for (int sig : signals) sigaddset(&set_, sig);
  pthread_sigmask(SIG_BLOCK, &set_, &formerMask_);
  if (setUp) setUp();
  struct sigaction ours {};
  ours.sa_handler = handler;
  ours.sa_mask = set_;
  for (int sig : signals) {
    Former former{sig, {}};
    if (sigaction(sig, nullptr, &former.action) != 0 || former.action.sa_handler == SIG_IGN) continue;
    if (sigaction(sig, &ours, nullptr) == 0) replaced_.push_back(former);
  }
  if (mask == Mask::kAsBefore) pthread_sigmask(SIG_SETMASK, &formerMask_, nullptr);
}

SignalHandlers::~SignalHandlers() {
  pthread_sigmask(SIG_BLOCK, &set_, nullptr);
  if (tearDown_) tearDown_();
  for (const Former& former : replaced_) sigaction(former.signal, &former.action, nullptr);
  pthread_sigmask(SIG_SETMASK, &formerMask_, nullptr);
}

}  // namespace platform::posix
