#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>

#if defined(__MINGW32__)
#define AVD_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define AVD_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif

namespace base {

// printf into a string.
inline std::string FormatV(const char* format, va_list args) AVD_PRINTF_FORMAT(1, 0);
inline std::string FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

inline std::string Format(const char* format, ...) AVD_PRINTF_FORMAT(1, 2);
inline std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatV(format, args);
  va_end(args);
  return text;
}

// The line for a file or a picture that cannot be held in memory. It has no
// line end: whatever comes next continues on its line.
inline constexpr std::string_view kNoMemoryLine = "Could not allocate memory.";

// Where a converter reports what it has to say about its input: a warning, a
// translation problem, a member left out. One call per line, in Shift-JIS,
// with the line's own ending. The converters never print; whoever runs them
// decides where the lines go (the console, a test's capture).
//
// The lines a converter adds are written in English, and Report gives them
// in the user's language: the English format is the key of the catalog
// (see base/translations.h). The historical Japanese messages go through
// Line and stay as they are.
class Diagnostics {
 public:
  virtual ~Diagnostics() = default;
  virtual void Line(std::string_view sjis) = 0;
  // `english` in the language of whoever receives the lines; English itself
  // unless a receiver says otherwise.
  virtual const char* Translate(const char* english) const __attribute__((format_arg(2))) { return english; }

  // Formats the translation of `format` like printf and reports the result
  // as one line.
  void Report(const char* format, ...) AVD_PRINTF_FORMAT(2, 3) {
    va_list args;
    va_start(args, format);
    const std::string text = FormatV(Translate(format), args);
    va_end(args);
    Line(text);
  }
};

// Keeps every line; for tests and for callers that decide later.
class CollectedDiagnostics final : public Diagnostics {
 public:
  void Line(std::string_view sjis) override { text_.append(sjis); }
  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }

 private:
  std::string text_;
};

}  // namespace base
