#include "platform/posix/signal_handlers.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <csignal>

namespace {

using platform::posix::SignalHandlers;

volatile sig_atomic_t gOurs = 0, gFormer = 0, gOtherBlockedInHandler = 0;

bool Blocked(int sig) {
  sigset_t mask;
  pthread_sigmask(SIG_SETMASK, nullptr, &mask);
  return sigismember(&mask, sig) == 1;
}

extern "C" void Ours(int) {
  gOurs = gOurs + 1;
  gOtherBlockedInHandler = Blocked(SIGUSR2);
}
extern "C" void FormerHandler(int) { gFormer = gFormer + 1; }

// Each test starts with both signals counted by FormerHandler.
class SignalHandlersTest : public testing::Test {
 protected:
  void SetUp() override {
    gOurs = 0;
    gFormer = 0;
    gOtherBlockedInHandler = 0;
    std::signal(SIGUSR1, FormerHandler);
    std::signal(SIGUSR2, FormerHandler);
  }
  void TearDown() override {
    std::signal(SIGUSR1, SIG_DFL);
    std::signal(SIGUSR2, SIG_DFL);
  }
};

TEST_F(SignalHandlersTest, OursWhileTheObjectLivesWithTheSetBlockedAroundSetUpTearDownAndTheHandler) {
  bool blockedInSetUp = false, blockedInTearDown = false;
  {
    const SignalHandlers handlers(
        {SIGUSR1, SIGUSR2}, Ours, [&] { blockedInSetUp = Blocked(SIGUSR1) && Blocked(SIGUSR2); },
        [&] { blockedInTearDown = Blocked(SIGUSR1) && Blocked(SIGUSR2); });
    EXPECT_FALSE(Blocked(SIGUSR1));
    std::raise(SIGUSR1);
    EXPECT_EQ(gOurs, 1);
    EXPECT_EQ(gOtherBlockedInHandler, 1);
  }
  EXPECT_TRUE(blockedInSetUp);
  EXPECT_TRUE(blockedInTearDown);
  EXPECT_FALSE(Blocked(SIGUSR1) || Blocked(SIGUSR2));
  std::raise(SIGUSR2);
  EXPECT_EQ(gFormer, 1);
  EXPECT_EQ(gOurs, 1);
}

TEST_F(SignalHandlersTest, ASignalTheProcessIgnoresStaysIgnored) {
  std::signal(SIGUSR1, SIG_IGN);
  {
    const SignalHandlers handlers({SIGUSR1}, Ours);
    std::raise(SIGUSR1);
  }
  struct sigaction now {};
  sigaction(SIGUSR1, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_IGN);
  EXPECT_EQ(gOurs, 0);
}

// As the chooser waits for a key: the signal is let through by the wait alone.
TEST_F(SignalHandlersTest, AKeptBlockedSignalWaitsForTheWaitThatLetsItThrough) {
  const SignalHandlers handlers({SIGUSR1}, Ours, {}, {}, SignalHandlers::Mask::kKeptBlocked);
  EXPECT_TRUE(Blocked(SIGUSR1));
  EXPECT_FALSE(sigismember(&handlers.FormerMask(), SIGUSR1));
  std::raise(SIGUSR1);
  EXPECT_EQ(gOurs, 0);
  sigset_t pending;
  sigpending(&pending);
  ASSERT_TRUE(sigismember(&pending, SIGUSR1));
  sigset_t waitMask = handlers.FormerMask();
  sigsuspend(&waitMask);
  EXPECT_EQ(gOurs, 1);
}

}  // namespace
