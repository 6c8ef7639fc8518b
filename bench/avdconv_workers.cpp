// The converter with its number of compression workers taken from the
// environment variable AVD_WORKERS (unset, empty or 0: one per processor),
// for the benchmark's runs at a given number of workers. Run without
// arguments it is the interactive converter, as the benchmark drives it.
#include <cstdlib>

#include "driver/driver.h"

int main() {
  const char* workers = std::getenv("AVD_WORKERS");
  return driver::RunInteractive(workers ? static_cast<unsigned>(std::strtoul(workers, nullptr, 10)) : 0);
}
