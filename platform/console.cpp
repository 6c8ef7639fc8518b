// The parts of the console that are the same on every platform.
#include "platform/console.h"

#include <cstdarg>

namespace platform {

void Console::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = base::FormatV(format, args);
  va_end(args);
  Print(text);
}

void PassProgress::Next(std::string_view file) {
  ++current_;
  console_.ShowProgress(pass_ + ": " + std::to_string(current_) + "/" + std::to_string(total_) + ", now " +
                        std::string(file));
}

TerminalCodeset ChooseTerminalCodeset(std::string_view localeName, std::string_view installedCodeset) {
  const TerminalCodeset utf8{TerminalEncoding::kUtf8, "UTF-8"};
  std::string_view base = localeName.substr(0, localeName.find('@'));
  if (base.empty() || base == "C" || base == "POSIX") return utf8;
  std::string_view codeset = installedCodeset;
  if (size_t dot = base.find('.'); dot != std::string_view::npos) codeset = base.substr(dot + 1);
  // Compared upper-case without '-' and '_': "utf8", "UTF-8", "Shift_JIS".
  std::string key;
  for (char c : codeset) {
    if (c == '-' || c == '_') continue;
    key.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  if (key.empty() || key == "UTF8" || key == "ANSIX3.41968" || key == "ASCII" || key == "USASCII")
    return utf8;
  if (key == "SJIS" || key == "SHIFTJIS" || key == "CP932" || key == "WINDOWS31J" || key == "MSKANJI") {
    return {TerminalEncoding::kShiftJis, ""};
  }
  return {TerminalEncoding::kOther, std::string(codeset)};
}

}  // namespace platform
