// The console's output on Windows.
#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "base/printable.h"
#include "platform/standard_output.h"
#include "platform/windows/console_line.h"
#include "platform/windows/wide.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

void WriteBytes(std::string_view bytes, FILE* stream) {
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

// Writes UTF-16 text to a console, in pieces a console takes at once.
void WriteToConsole(HANDLE console, std::wstring_view text) {
  constexpr size_t kMostPerCall = 8192;
  while (!text.empty()) {
    DWORD written = 0;
    const DWORD ask = static_cast<DWORD>(std::min(text.size(), kMostPerCall));
    if (!WriteConsoleW(console, text.data(), ask, &written, nullptr) || written == 0) return;
    text.remove_prefix(written);
  }
}

// The console standard error writes to, or null for a pipe or file.
HANDLE StandardErrorConsole() {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (err == nullptr || err == INVALID_HANDLE_VALUE || !GetConsoleMode(err, &mode)) return nullptr;
  return err;
}

// Standard output of Windows: a console is given the characters
// themselves, whatever its code page.
class WindowsOutput final : public StandardOutput {
 public:
  WindowsOutput() {
    // Text mode would write "\r\n" for every "\n": a pipe or file gets the
    // bytes exactly as on every other system.
    std::fflush(stdout);
    std::fflush(stderr);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    console_ = windows::StandardOutputConsole();
  }

  bool IsTerminal() const override { return console_ != nullptr; }
  bool ErrorIsTerminal() const override { return StandardErrorConsole() != nullptr; }

  // The console converts as it writes; whatever shows text itself (the
  // folder dialog) takes the Shift-JIS bytes.
  base::TerminalEncoding Encoding() const override { return base::TerminalEncoding::kShiftJis; }
  std::string ForTerminal(std::string_view sjis) const override { return std::string(sjis); }

  // Characters on a console, the bytes themselves otherwise.
  void Write(std::string_view sjis) override {
    if (console_) {
      WriteToConsole(console_, windows::WideOfSjis(sjis));
    } else {
      WriteBytes(sjis, stdout);
    }
  }

  void WriteTerminalText(std::string_view text) override { Write(text); }

  // The path's own characters, whatever the console's code page.
  void WritePath(std::string_view path) override {
    if (console_) {
      WriteToConsole(console_, windows::Wide(base::Printable(path, base::TextEncoding::kUtf8)));
    } else {
      WriteBytes(PathLine{{}, std::string(path), {}}.Sjis(), stdout);
    }
  }

  void WriteErrorText(std::string_view sjis) override {
    if (const HANDLE console = StandardErrorConsole()) {
      WriteToConsole(console, windows::WideOfSjis(sjis));
    } else {
      WriteBytes(sjis, stderr);
    }
  }

  void WriteError(const PathLine& line) override {
    const HANDLE console = StandardErrorConsole();
    if (!console) {
      WriteBytes(line.Sjis(), stderr);
      return;
    }
    WriteToConsole(console, windows::WideOfSjis(line.before));
    WriteToConsole(console, windows::Wide(base::Printable(line.path, base::TextEncoding::kUtf8)));
    WriteToConsole(console, windows::WideOfSjis(line.after));
  }
  void EraseToEndOfLine() override { windows::BlankToEndOfLine(console_, false); }
  void EraseLine() override { windows::EraseLine(console_); }

 private:
  // The console standard output writes to, or null for a pipe or file.
  HANDLE console_ = nullptr;
};

}  // namespace

std::unique_ptr<StandardOutput> OpenStandardOutput() { return std::make_unique<WindowsOutput>(); }

}  // namespace platform
