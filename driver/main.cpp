#include <csignal>
#include <string_view>
#include <vector>

#include "driver/driver.h"

int main(int argc, char** argv) {
  // A write beyond the file-size limit must fail with an error the writer
  // reports, not end the process.
  std::signal(SIGXFSZ, SIG_IGN);
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return driver::Run(args);
}
