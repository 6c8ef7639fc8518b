// The page's log as standard output: every message goes out as the same
// Shift-JIS bytes a pipe receives (the page shows them as text), and the
// progress line, which a terminal redraws in place, goes to the page's
// progress display instead.
#include "platform/console.h"

#include <emscripten.h>

#include <cstdio>
#include <string>

#include "platform/names.h"
#include "platform/standard_output.h"

// The page's progress display: `length` Shift-JIS bytes at `text`, none to
// clear it.
EM_JS(void, avd_web_progress, (const char* text, size_t length),
      { Module["onProgressLine"](HEAPU8.slice(text, text + length)); });

namespace platform {
namespace {

void WriteAll(std::FILE* stream, std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

// A terminal that shows Shift-JIS: the page decodes it.
class PageOutput final : public StandardOutput {
 public:
  bool IsTerminal() const override { return true; }
  // Errors reach the log as a pipe has them: Shift-JIS, which the page
  // decodes.
  bool ErrorIsTerminal() const override { return false; }
  base::TerminalEncoding Encoding() const override { return base::TerminalEncoding::kShiftJis; }
  std::string ForTerminal(std::string_view sjis) const override { return std::string(sjis); }
  void Write(std::string_view sjis) override { WriteAll(stdout, sjis); }
  void WritePath(std::string_view path) override { WriteAll(stdout, PathForMessage(path)); }
  void WriteErrorText(std::string_view sjis) override { WriteAll(stderr, sjis); }
  void WriteError(const PathLine& line) override { WriteAll(stderr, line.Sjis()); }

  // The progress line arrives as "\r", its text, then the erasure of what
  // followed it on a terminal.
  void WriteTerminalText(std::string_view text) override {
    if (text == "\r") {
      progress_.clear();
    } else {
      progress_ += text;
    }
  }
  void EraseToEndOfLine() override { avd_web_progress(progress_.data(), progress_.size()); }
  void EraseLine() override {
    progress_.clear();
    avd_web_progress(nullptr, 0);
  }

 private:
  std::string progress_;
};

}  // namespace

std::unique_ptr<StandardOutput> OpenStandardOutput() { return std::make_unique<PageOutput>(); }

}  // namespace platform
