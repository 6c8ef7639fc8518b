// The converter with its number of compression workers taken from the
// environment variable AVD_WORKERS (unset, empty or 0: one per processor),
// for the benchmark's runs at a given number of workers.
#include <cstdlib>

#include "driver/driver.h"

int main() {
  const char* workers = std::getenv("AVD_WORKERS");
  return driver::Run(workers ? static_cast<unsigned>(std::strtoul(workers, nullptr, 10)) : 0);
}
