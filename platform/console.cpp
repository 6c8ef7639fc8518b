// The parts of the console that are the same on every platform.
#include "platform/console.h"

#include <cstdarg>
#include <cstdio>
#include <optional>

#include "base/printable.h"
#include "platform/names.h"
#include "platform/standard_output.h"
#include "platform/terminal.h"

namespace platform {

PathLine WithPath(std::string_view text, std::string path) {
  const size_t at = text.find("%s");
  if (at == std::string_view::npos) return {std::string(text), std::move(path), ""};
  return {std::string(text.substr(0, at)), std::move(path), std::string(text.substr(at + 2))};
}

struct Console::State {
  std::function<void(std::string_view)> capture;
  std::unique_ptr<StandardOutput> output;  // none for a capturing console
  bool progressEnabled = true;
  bool progressShown = false;
  std::optional<SystemError> outputFailure;  // of the first write to standard output that failed
};

Console::Console() : state_(std::make_unique<State>()) { state_->output = OpenStandardOutput(); }

Console::Console(std::function<void(std::string_view)> capture) : state_(std::make_unique<State>()) {
  state_->capture = std::move(capture);
}

Console::~Console() { ClearProgress(); }

void Console::Print(std::string_view sjis) {
  if (state_->capture) {
    state_->capture(sjis);
    return;
  }
  ClearProgress();
  state_->output->Write(sjis);
  NoteOutputFailure();
}

// Standard output goes through stdio, which keeps the error of a failed
// write; its code is taken at once, before another call replaces it.
void Console::NoteOutputFailure() {
  if (!state_->outputFailure && std::ferror(stdout)) state_->outputFailure = LastSystemError();
}

Result<> Console::FinishOutput() {
  if (state_->capture) return Done{};
  const bool flushed = std::fflush(stdout) == 0;
  const SystemError now = LastSystemError();
  if (state_->outputFailure) return *state_->outputFailure;
  if (!flushed || std::ferror(stdout)) return now;
  return Done{};
}

void Console::Error(std::string_view text) {
  if (state_->capture) {
    state_->capture(text);
    return;
  }
  ClearProgress();
  std::fflush(stdout);
  state_->output->WriteErrorText(text);
}

std::string PathLine::Sjis() const { return before + PathForMessage(path) + after; }

void Console::Print(const PathLine& line) {
  if (state_->capture) {
    state_->capture(line.Sjis());
    return;
  }
  ClearProgress();
  StandardOutput& output = *state_->output;
  if (!output.IsTerminal()) {
    output.Write(line.Sjis());
  } else {
    output.Write(line.before);
    output.WritePath(line.path);
    output.Write(line.after);
  }
  NoteOutputFailure();
}

void Console::Error(const PathLine& line) {
  if (state_->capture) {
    state_->capture(line.Sjis());
    return;
  }
  ClearProgress();
  std::fflush(stdout);
  state_->output->WriteError(line);
}

std::string PathForTerminal(const StandardOutput& output, std::string_view path) {
  if (output.Encoding() == base::TerminalEncoding::kUtf8 && IsUtf8(path))
    return base::Printable(ComposedUtf8(path).value_or(std::string(path)), base::TextEncoding::kUtf8);
  return output.ForTerminal(PathForMessage(path));
}

std::string Console::PathForTerminal(std::string_view path) const {
  return state_->output ? platform::PathForTerminal(*state_->output, path) : PathForMessage(path);
}

// A capturing console hands on the Shift-JIS bytes themselves.
std::string Console::ForTerminal(std::string_view sjis) const {
  return state_->output ? state_->output->ForTerminal(sjis) : std::string(sjis);
}

base::TerminalEncoding Console::Encoding() const {
  return state_->output ? state_->output->Encoding() : base::TerminalEncoding::kShiftJis;
}

bool Console::IsTerminal() const { return state_->output && state_->output->IsTerminal(); }

bool Console::ErrorIsTerminal() const { return state_->output && state_->output->ErrorIsTerminal(); }

void Console::EnableProgress(bool enabled) {
  if (!enabled) ClearProgress();
  state_->progressEnabled = enabled;
}

void Console::ShowProgress(std::string_view sjis) {
  if (!IsTerminal() || !state_->progressEnabled) return;
  // One column is left free: some terminals wrap as soon as the last one is
  // written.
  const int columns = TerminalColumns();
  const size_t width = columns > 1 ? static_cast<size_t>(columns - 1) : 79;
  StandardOutput& output = *state_->output;
  output.WriteTerminalText("\r");
  output.WriteTerminalText(FitToColumns(output.ForTerminal(sjis), output.Encoding(), width));
  output.EraseToEndOfLine();
  state_->progressShown = true;
}

void Console::ClearProgress() {
  if (!state_->progressShown) return;
  state_->output->EraseLine();
  state_->progressShown = false;
}

void Console::Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = base::FormatV(format, args);
  va_end(args);
  Print(text);
}

void PassProgress::Next(std::string_view file) {
  ++current_;
  console_.ShowProgress(base::Format(console_.Tr("%s: %zu/%zu, now %s"), pass_.c_str(), current_, total_,
                                     std::string(file).c_str()));
}

TerminalCodeset ChooseTerminalCodeset(std::string_view localeName, std::string_view installedCodeset) {
  const TerminalCodeset utf8{base::TerminalEncoding::kUtf8, "UTF-8"};
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
    return {base::TerminalEncoding::kShiftJis, ""};
  }
  return {base::TerminalEncoding::kOther, std::string(codeset)};
}

}  // namespace platform
