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

// Shift-JIS to UTF-16, appended to `wide`; false (with nothing appended)
// when a code in it has no character.
bool AppendWide(std::string_view sjis, std::wstring& wide) {
  const int in = static_cast<int>(sjis.size());
  const int need = MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, sjis.data(), in, nullptr, 0);
  if (need <= 0) return false;
  const size_t start = wide.size();
  wide.resize(start + static_cast<size_t>(need));
  const int got =
      MultiByteToWideChar(kShiftJis, MB_ERR_INVALID_CHARS, sjis.data(), in, wide.data() + start, need);
  wide.resize(start + static_cast<size_t>(got > 0 ? got : 0));
  return got > 0;
}

// Shift-JIS to UTF-16; the bytes of a code with no character are shown as
// \xNN, as on every other system.
std::wstring ToWide(std::string_view sjis) {
  std::wstring wide;
  while (!sjis.empty()) {
    const size_t piece = PieceLength(sjis);
    if (!AppendWide(sjis.substr(0, piece), wide)) {
      // Character by character, to escape only what does not convert.
      for (size_t at = 0; at < piece;) {
        const size_t n = IsLeadByte(static_cast<unsigned char>(sjis[at])) && at + 1 < piece ? 2 : 1;
        if (!AppendWide(sjis.substr(at, n), wide)) {
          for (size_t i = 0; i < n; ++i) {
            static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
            const auto b = static_cast<unsigned char>(sjis[at + i]);
            wide += {L'\\', L'x', kHex[b >> 4], kHex[b & 15]};
          }
        }
        at += n;
      }
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
      WriteToConsole(console_, ToWide(sjis));
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
      WriteToConsole(console, ToWide(sjis));
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
    WriteToConsole(console, ToWide(line.before));
    WriteToConsole(console, windows::Wide(base::Printable(line.path, base::TextEncoding::kUtf8)));
    WriteToConsole(console, ToWide(line.after));
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
