#include "platform/processors.h"

#include <algorithm>
#include <thread>

#if defined(__linux__)
#include <sched.h>
#endif

namespace platform {

unsigned UsableProcessors() {
  const unsigned machine = std::max(std::thread::hardware_concurrency(), 1u);
#if defined(__linux__)
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) {
    const int count = CPU_COUNT(&set);
    if (count > 0) return std::min(machine, static_cast<unsigned>(count));
  }
#endif
  return machine;
}

}  // namespace platform
