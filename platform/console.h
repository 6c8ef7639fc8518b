#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "archive/diagnostics.h"

namespace platform {

// The converter's console. Every message is produced as Shift-JIS bytes.
// When standard output is a terminal whose locale uses UTF-8 the bytes are
// transcoded so a person can read them; pipes and files receive the
// Shift-JIS bytes unchanged. One object per run, owned by the driver.
class Console {
 public:
  // Standard output.
  Console();
  // Every message goes to `capture` unchanged, and no progress is shown
  // (tests compare the exact bytes).
  explicit Console(std::function<void(std::string_view)> capture);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes a message, erasing the progress line first.
  void Print(std::string_view sjis);
  void Printf(const char* format, ...) AVD_PRINTF_FORMAT(2, 3);

  // A one-line progress display, redrawn in place on a terminal and erased
  // before any other output; does nothing when standard output is not a
  // terminal or the console captures.
  void ShowProgress(std::string_view sjis);
  void ClearProgress();

  // Shift-JIS text as it should be written to the terminal: transcoded to
  // UTF-8 when the terminal's locale uses it, unchanged otherwise.
  std::string ForTerminal(std::string_view sjis) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Progress of one pass over files: "<pass>: <n> done, now <file>", shown
// before each file and erased when the pass ends.
class PassProgress {
 public:
  PassProgress(Console& console, std::string pass) : console_(console), pass_(std::move(pass)) {}
  ~PassProgress() { console_.ClearProgress(); }
  PassProgress(const PassProgress&) = delete;
  PassProgress& operator=(const PassProgress&) = delete;

  // Announces the next file (the previous one, if any, is done).
  void Next(std::string_view file);

 private:
  Console& console_;
  std::string pass_;
  size_t done_ = 0;
  bool started_ = false;
};

// Hands the lines of the converters to the console.
class ConsoleDiagnostics final : public archive::Diagnostics {
 public:
  explicit ConsoleDiagnostics(Console& console) : console_(console) {}
  void Line(std::string_view sjis) override { console_.Print(sjis); }

 private:
  Console& console_;
};

}  // namespace platform
