#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>
#include <string>

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

void WriteBytes(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

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
  bool progressShown = false;

  // What standard output is given for `sjis`: characters on a console,
  // the bytes themselves otherwise.
  void Emit(std::string_view sjis) const {
    if (console) {
      WriteToConsole(console, ToWide(sjis));
    } else {
      WriteBytes(sjis);
      std::fflush(stdout);
    }
  }

  // Blanks the console's current line from the cursor to its end; the
  // cursor stays where it is.
  void EraseToEndOfLine() const {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console, &info)) return;
    const SHORT width = info.dwSize.X;
    if (info.dwCursorPosition.X >= width) return;
    DWORD blanked = 0;
    FillConsoleOutputCharacterW(console, L' ', static_cast<DWORD>(width - info.dwCursorPosition.X),
                                info.dwCursorPosition, &blanked);
    FillConsoleOutputAttribute(console, info.wAttributes, static_cast<DWORD>(width - info.dwCursorPosition.X),
                               info.dwCursorPosition, &blanked);
  }
};

Console::Console() : state_(std::make_unique<State>()) {
  // Text mode would write "\r\n" for every "\n": a pipe or file gets the
  // bytes exactly as on every other system.
  std::fflush(stdout);
  _setmode(_fileno(stdout), _O_BINARY);
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (out != nullptr && out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode)) state_->console = out;
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

// The console converts when it writes; everything else wants the bytes.
std::string Console::ForTerminal(std::string_view sjis) const { return std::string(sjis); }

void Console::ShowProgress(std::string_view sjis) {
  if (state_->capture || !state_->console) return;
  state_->Emit("\r");
  state_->Emit(sjis);
  state_->EraseToEndOfLine();
  state_->progressShown = true;
}

void Console::ClearProgress() {
  if (!state_->progressShown) return;
  state_->Emit("\r");
  state_->EraseToEndOfLine();
  state_->progressShown = false;
}

}  // namespace platform
