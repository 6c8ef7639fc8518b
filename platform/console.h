#pragma once

#include <functional>
#include <string>
#include <string_view>

// Console output. Every message the converter prints is produced as Shift-JIS
// bytes. When standard output is a terminal whose locale uses UTF-8 the bytes
// are transcoded so a person can read them; pipes and files receive the
// Shift-JIS bytes unchanged.
namespace console {

void Print(std::string_view sjis);
void Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A one-line progress display, redrawn in place on a terminal and erased
// before any other output; does nothing when standard output is not a
// terminal (or while output is captured).
void ShowProgress(std::string_view sjis);
void ClearProgress();

// Progress of one pass over files: "<pass>: <n> done, now <file>", shown
// through ShowProgress before each file and erased when the pass ends.
class PassProgress {
 public:
  explicit PassProgress(std::string pass) : pass_(std::move(pass)) {}
  ~PassProgress() { ClearProgress(); }
  PassProgress(const PassProgress&) = delete;
  PassProgress& operator=(const PassProgress&) = delete;

  // Announces the next file (the previous one, if any, is done).
  void Next(std::string_view file);

 private:
  std::string pass_;
  size_t done_ = 0;
  bool started_ = false;
};

// Shift-JIS text as it should be written to the terminal: transcoded to
// UTF-8 when the terminal's locale uses it, unchanged otherwise.
std::string ForTerminal(std::string_view sjis);

// Redirects everything printed to `sink` for the lifetime of the object
// (tests use it to compare the exact bytes).
class Capture {
 public:
  explicit Capture(std::function<void(std::string_view)> sink);
  ~Capture();
  Capture(const Capture&) = delete;
  Capture& operator=(const Capture&) = delete;

 private:
  std::function<void(std::string_view)> previous_;
};

}  // namespace console
