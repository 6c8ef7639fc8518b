#include "platform/console.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

namespace platform {
namespace {

const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);

void WriteAll(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

// Shift-JIS to UTF-8; a byte sequence that does not convert is shown as '?'.
std::string ToUtf8(iconv_t cd, std::string_view sjis) {
  std::string out;
  std::vector<char> in(sjis.begin(), sjis.end());
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char chunk[256];
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  while (inLeft > 0) {
    char* outPtr = chunk;
    size_t outLeft = sizeof chunk;
    size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(chunk, static_cast<size_t>(outPtr - chunk));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out.push_back('?');
      ++inPtr;
      --inLeft;
    }
  }
  return out;
}

}  // namespace

struct Console::State {
  std::function<void(std::string_view)> capture;
  bool isTerminal = false;
  iconv_t toUtf8 = kNoConversion;
  bool progressShown = false;

  ~State() {
    if (toUtf8 != kNoConversion) iconv_close(toUtf8);
  }

  // What the terminal is shown for `sjis`.
  void Emit(std::string_view sjis) const {
    if (isTerminal && toUtf8 != kNoConversion) {
      WriteAll(ToUtf8(toUtf8, sjis));
    } else {
      WriteAll(sjis);
    }
  }
};

Console::Console() : state_(std::make_unique<State>()) {
  state_->isTerminal = isatty(STDOUT_FILENO) == 1;
  // The locale is consulted once, for its codeset only, and put back.
  std::setlocale(LC_CTYPE, "");
  std::string_view codeset = nl_langinfo(CODESET);
  if (codeset == "UTF-8") state_->toUtf8 = iconv_open("UTF-8", "CP932");
  std::setlocale(LC_CTYPE, "C");
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
  std::fflush(stdout);
}

std::string Console::ForTerminal(std::string_view sjis) const {
  if (state_->toUtf8 != kNoConversion) return ToUtf8(state_->toUtf8, sjis);
  return std::string(sjis);
}

void Console::ShowProgress(std::string_view sjis) {
  if (state_->capture || !state_->isTerminal) return;
  WriteAll("\r");
  state_->Emit(sjis);
  WriteAll("\x1b[K");
  std::fflush(stdout);
  state_->progressShown = true;
}

void Console::ClearProgress() {
  if (!state_->progressShown) return;
  WriteAll("\r\x1b[K");
  std::fflush(stdout);
  state_->progressShown = false;
}

}  // namespace platform
