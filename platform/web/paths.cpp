#include "platform/paths.h"

#include "platform/arguments.h"

namespace platform {

// The page names every folder itself: the converter has no folder of its own.
std::string ExecutableFolder() { return {}; }
std::string WorkingFolder() { return {}; }

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  if (argc < 1) return {};
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace platform
