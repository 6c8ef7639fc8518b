#include <csignal>

#include "driver/driver.h"

int main() {
  // A write beyond the file-size limit must fail with an error the writer
  // reports, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);
  return driver::Run();
}
