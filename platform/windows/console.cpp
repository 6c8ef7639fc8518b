#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/terminal.h"
#include "platform/text_columns.h"
#include "platform/windows/console_line.h"
#include "platform/windows/win32.h"

namespace platform {
namespace {

// The code page of the messages, named here and nowhere else: the console's
// own code page and the system's ANSI code page may be any.
constexpr UINT kShiftJis = 932;

// Shift-JIS text is converted in pieces of at most this many bytes (the
// conversion counts in ints), cut between characters.
constexpr size_t kMostPerPiece = size_t{1} << 16;

// Lead bytes of Shift-JIS's two-byte characters.
bool IsLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The length of the longest prefix of `sjis`, at most kMostPerPiece bytes,
// that does not cut a two-byte character.
size_t PieceLength(std::string_view sjis) {
  if (sjis.size() <= kMostPerPiece) return sjis.size();
  size_t end = 0;
  while (end < kMostPerPiece) {
    const size_t step = IsLeadByte(static_cast<unsigned char>(sjis[end])) ? 2 : 1;
    if (end + step > kMostPerPiece) break;
    end += step;
  }
  return end;
}

// Shift-JIS to UTF-16; a byte that does not convert becomes the code page's
// default character.
std::wstring ToWide(std::string_view sjis) {
  std::wstring wide;
  while (!sjis.empty()) {
    const size_t piece = PieceLength(sjis);
    const int in = static_cast<int>(piece);
    const int need = MultiByteToWideChar(kShiftJis, 0, sjis.data(), in, nullptr, 0);
    if (need <= 0) {
      wide.append(piece, L'?');
    } else {
      const size_t start = wide.size();
      wide.resize(start + static_cast<size_t>(need));
      const int got = MultiByteToWideChar(kShiftJis, 0, sjis.data(), in, wide.data() + start, need);
      wide.resize(start + static_cast<size_t>(got > 0 ? got : 0));
    }
    sjis.remove_prefix(piece);
  }
  return wide;
}

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

}  // namespace

struct Console::State {
  std::function<void(std::string_view)> capture;
  // The console standard output writes to, or null for a pipe or file.
  HANDLE console = nullptr;
  bool progressEnabled = true;
  bool progressShown = false;

  // What standard output is given for `sjis`: characters on a console,
  // the bytes themselves otherwise.
  void Emit(std::string_view sjis) const {
    if (console) {
      WriteToConsole(console, ToWide(sjis));
    } else {
      WriteBytes(sjis, stdout);
    }
  }
};

Console::Console() : state_(std::make_unique<State>()) {
  // Text mode would write "\r\n" for every "\n": a pipe or file gets the
  // bytes exactly as on every other system.
  std::fflush(stdout);
  std::fflush(stderr);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  state_->console = windows::StandardOutputConsole();
}

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
  state_->Emit(sjis);
}

void Console::Error(std::string_view text) {
  if (state_->capture) {
    state_->capture(text);
    return;
  }
  ClearProgress();
  std::fflush(stdout);
  WriteBytes(text, stderr);
}

// The console converts as it writes; whatever shows text itself (the
// folder dialog) takes the Shift-JIS bytes.
std::string Console::ForTerminal(std::string_view sjis) const { return std::string(sjis); }

TerminalEncoding Console::Encoding() const { return TerminalEncoding::kShiftJis; }

bool Console::IsTerminal() const { return state_->console != nullptr && !state_->capture; }

void Console::EnableProgress(bool enabled) {
  if (!enabled) ClearProgress();
  state_->progressEnabled = enabled;
}

void Console::ShowProgress(std::string_view sjis) {
  if (state_->capture || !state_->console || !state_->progressEnabled) return;
  // One column is left free: the console wraps as soon as the last one is
  // written.
  const int columns = TerminalColumns();
  const size_t width = columns > 1 ? static_cast<size_t>(columns - 1) : 79;
  state_->Emit("\r");
  state_->Emit(FitToColumns(sjis, TerminalEncoding::kShiftJis, width));
  windows::BlankToEndOfLine(state_->console, false);
  state_->progressShown = true;
}

void Console::ClearProgress() {
  if (!state_->progressShown) return;
  windows::EraseLine(state_->console);
  state_->progressShown = false;
}

}  // namespace platform
