#include "platform/console.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/terminal.h"

namespace platform {
namespace {

const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);

void WriteAll(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

// The locale that applies to character handling, as the environment names it.
std::string_view LocaleName() {
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return {};
}

// The codeset of the environment's locale when the system has that locale;
// empty otherwise. The locale is put back to "C" at once.
std::string InstalledCodeset() {
  std::string codeset;
  if (std::setlocale(LC_CTYPE, "")) codeset = nl_langinfo(CODESET);
  std::setlocale(LC_CTYPE, "C");
  return codeset;
}

// Shift-JIS transcoded by `cd`; a character that does not convert is shown
// as '?'.
std::string Transcode(iconv_t cd, std::string_view sjis) {
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
      // Skip the whole character: a lead byte takes its trail byte along.
      const auto lead = static_cast<unsigned char>(*inPtr);
      const bool isLead = (lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC);
      const size_t skip = isLead && inLeft >= 2 ? 2 : 1;
      out.push_back('?');
      inPtr += skip;
      inLeft -= skip;
    }
  }
  return out;
}

}  // namespace

struct Console::State {
  std::function<void(std::string_view)> capture;
  bool isTerminal = false;
  bool progressEnabled = true;
  TerminalEncoding encoding = TerminalEncoding::kShiftJis;
  iconv_t converter = kNoConversion;
  bool progressShown = false;

  ~State() {
    if (converter != kNoConversion) iconv_close(converter);
  }

  std::string ForTerminal(std::string_view sjis) const {
    if (converter != kNoConversion) return Transcode(converter, sjis);
    return std::string(sjis);
  }

  // What standard output is given for `sjis`.
  void Emit(std::string_view sjis) const {
    if (isTerminal && converter != kNoConversion) {
      WriteAll(Transcode(converter, sjis));
    } else {
      WriteAll(sjis);
    }
  }
};

Console::Console() : state_(std::make_unique<State>()) {
  state_->isTerminal = isatty(STDOUT_FILENO) == 1;
  TerminalCodeset codeset = ChooseTerminalCodeset(LocaleName(), InstalledCodeset());
  if (!codeset.converterName.empty()) {
    state_->converter = iconv_open(codeset.converterName.c_str(), "CP932");
    if (state_->converter == kNoConversion && codeset.encoding != TerminalEncoding::kUtf8) {
      codeset = {TerminalEncoding::kUtf8, "UTF-8"};  // a codeset the system cannot write to
      state_->converter = iconv_open("UTF-8", "CP932");
    }
    if (state_->converter == kNoConversion) codeset = {TerminalEncoding::kShiftJis, ""};
  }
  state_->encoding = codeset.encoding;
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

void Console::Error(std::string_view text) {
  if (state_->capture) {
    state_->capture(text);
    return;
  }
  ClearProgress();
  std::fflush(stdout);
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

std::string Console::ForTerminal(std::string_view sjis) const { return state_->ForTerminal(sjis); }

TerminalEncoding Console::Encoding() const { return state_->encoding; }

bool Console::IsTerminal() const { return state_->isTerminal && !state_->capture; }

void Console::EnableProgress(bool enabled) {
  if (!enabled) ClearProgress();
  state_->progressEnabled = enabled;
}

void Console::ShowProgress(std::string_view sjis) {
  if (state_->capture || !state_->isTerminal || !state_->progressEnabled) return;
  // One column is left free: some terminals wrap as soon as the last one is
  // written.
  const int columns = TerminalColumns();
  const size_t width = columns > 1 ? static_cast<size_t>(columns - 1) : 79;
  WriteAll("\r");
  WriteAll(FitToColumns(state_->ForTerminal(sjis), state_->encoding, width));
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
