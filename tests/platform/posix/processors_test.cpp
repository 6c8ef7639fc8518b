#include "platform/processors.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

TEST(UsableProcessors, FollowTheAffinityMask) {
  // In a child bound to its first processor, as `taskset -c 0` binds one.
  pid_t pid = fork();
  if (pid == 0) {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) _exit(10);
    int first = 0;
    while (!CPU_ISSET(first, &set)) ++first;
    CPU_ZERO(&set);
    CPU_SET(first, &set);
    if (sched_setaffinity(0, sizeof set, &set) != 0) _exit(11);
    _exit(platform::UsableProcessors() == 1 ? 0 : 12);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
