#include "platform/console.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace console {
namespace {

std::function<void(std::string_view)>& CaptureSink() {
  static std::function<void(std::string_view)> sink;
  return sink;
}

struct Terminal {
  bool isTerminal = false;
  iconv_t toUtf8 = reinterpret_cast<iconv_t>(-1);
  bool progressShown = false;

  Terminal() {
    isTerminal = isatty(STDOUT_FILENO) == 1;
    std::setlocale(LC_CTYPE, "");
    std::string_view codeset = nl_langinfo(CODESET);
    if (codeset == "UTF-8") toUtf8 = iconv_open("UTF-8", "CP932");
    std::setlocale(LC_CTYPE, "C");
  }
};

Terminal& TheTerminal() {
  static Terminal terminal;
  return terminal;
}

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

void Emit(std::string_view sjis) {
  Terminal& t = TheTerminal();
  if (t.isTerminal && t.toUtf8 != reinterpret_cast<iconv_t>(-1)) {
    WriteAll(ToUtf8(t.toUtf8, sjis));
  } else {
    WriteAll(sjis);
  }
}

}  // namespace

void Print(std::string_view sjis) {
  if (CaptureSink()) {
    CaptureSink()(sjis);
    return;
  }
  ClearProgress();
  Emit(sjis);
  std::fflush(stdout);
}

void Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  Print(text);
}

std::string ForTerminal(std::string_view sjis) {
  Terminal& t = TheTerminal();
  if (t.toUtf8 != reinterpret_cast<iconv_t>(-1)) return ToUtf8(t.toUtf8, sjis);
  return std::string(sjis);
}

void ShowProgress(std::string_view sjis) {
  Terminal& t = TheTerminal();
  if (CaptureSink() || !t.isTerminal) return;
  WriteAll("\r");
  Emit(sjis);
  WriteAll("\x1b[K");
  std::fflush(stdout);
  t.progressShown = true;
}

void ClearProgress() {
  Terminal& t = TheTerminal();
  if (!t.progressShown) return;
  WriteAll("\r\x1b[K");
  std::fflush(stdout);
  t.progressShown = false;
}

void PassProgress::Next(std::string_view file) {
  if (started_) ++done_;
  started_ = true;
  ShowProgress(pass_ + ": " + std::to_string(done_) + " done, now " + std::string(file));
}

Capture::Capture(std::function<void(std::string_view)> sink) : previous_(std::move(CaptureSink())) {
  CaptureSink() = std::move(sink);
}

Capture::~Capture() { CaptureSink() = std::move(previous_); }

}  // namespace console
