#include "platform/posix/signal_handlers.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <csignal>

namespace {

using platform::posix::SignalHandlers;

volatile sig_atomic_t gOurs = 0, gOtherBlockedInHandler = 0;

bool Blocked(int sig) {
  sigset_t mask;
  pthread_sigmask(SIG_SETMASK, nullptr, &mask);
  return sigismember(&mask, sig) == 1;
}

extern "C" void Ours(int) {
  gOurs = gOurs + 1;
  gOtherBlockedInHandler = Blocked(SIGUSR2);
}

sighandler_t HandlerOf(int sig) {
  struct sigaction now {};
  sigaction(sig, nullptr, &now);
  return now.sa_handler;
}

TEST(SignalHandlers, OursWhileTheObjectLivesInstalledAndRemovedWithTheSetBlockedAndAnIgnoredOneLeftAlone) {
  gOurs = 0;
  std::signal(SIGUSR2, SIG_IGN);
  bool blockedInSetUp = false, blockedInTearDown = false;
  {
    const SignalHandlers handlers(
        {SIGUSR1, SIGUSR2}, Ours, [&] { blockedInSetUp = Blocked(SIGUSR1) && Blocked(SIGUSR2); },
        [&] { blockedInTearDown = Blocked(SIGUSR1) && Blocked(SIGUSR2); });
    EXPECT_FALSE(Blocked(SIGUSR1) || Blocked(SIGUSR2));
    std::raise(SIGUSR1);
    std::raise(SIGUSR2);
    EXPECT_EQ(gOurs, 1);
    EXPECT_EQ(gOtherBlockedInHandler, 1);
  }
  EXPECT_TRUE(blockedInSetUp);
  EXPECT_TRUE(blockedInTearDown);
  EXPECT_FALSE(Blocked(SIGUSR1) || Blocked(SIGUSR2));
  EXPECT_EQ(HandlerOf(SIGUSR1), SIG_DFL);
  EXPECT_EQ(HandlerOf(SIGUSR2), SIG_IGN);
  std::signal(SIGUSR2, SIG_DFL);
}

// As the chooser waits for a key: the signal is let through by the wait alone.
TEST(SignalHandlers, AKeptBlockedSignalWaitsForTheWaitThatLetsItThrough) {
  gOurs = 0;
  const SignalHandlers handlers({SIGUSR1}, Ours, {}, {}, SignalHandlers::Mask::kKeptBlocked);
  EXPECT_TRUE(Blocked(SIGUSR1));
  std::raise(SIGUSR1);
  EXPECT_EQ(gOurs, 0);
  sigset_t pending;
  sigpending(&pending);
  ASSERT_TRUE(sigismember(&pending, SIGUSR1));
  const sigset_t waitMask = handlers.FormerMask();
  sigsuspend(&waitMask);
  EXPECT_EQ(gOurs, 1);
}

}  // namespace
