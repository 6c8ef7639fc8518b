// The parts of the console that are the same on every platform.
#include "platform/console.h"

#include <cstdarg>

namespace platform {

void Console::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = archive::FormatV(format, args);
  va_end(args);
  Print(text);
}

void PassProgress::Next(std::string_view file) {
  if (started_) ++done_;
  started_ = true;
  console_.ShowProgress(pass_ + ": " + std::to_string(done_) + " done, now " + std::string(file));
}

}  // namespace platform
