#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.h"
#include "platform/arguments.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = platform::ProgramArguments(argc, argv);
  const std::vector<std::string_view> args(arguments.begin(), arguments.end());
  return driver::Run(args);
}
