// The console's output on POSIX systems.
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

#include "base/printable.h"
#include "base/sjis.h"
#include "platform/names.h"
#include "platform/posix/console_transcoding.h"
#include "platform/standard_output.h"

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

}  // namespace

// File names follow the locale as the console's text does.
bool FileNamesAreUtf8() {
  return ChooseTerminalCodeset(LocaleName(), InstalledCodeset()).encoding == base::TerminalEncoding::kUtf8;
}

// Shift-JIS transcoded by `cd`; the bytes of a code that does not convert
// are shown as \xNN, as a name's bytes that form no character are.
std::string posix::Transcode(iconv_t cd, std::string_view sjis) {
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
      const size_t skip = base::IsCp932LeadByte(static_cast<unsigned char>(*inPtr)) && inLeft >= 2 ? 2 : 1;
      for (size_t i = 0; i < skip; ++i) base::AppendEscape(static_cast<uint8_t>(inPtr[i]), out);
      inPtr += skip;
      inLeft -= skip;
    }
  }
  return out;
}

namespace {

using posix::Transcode;

// Standard output of a POSIX system: a terminal is given the messages in
// the codeset of its locale.
class PosixOutput final : public StandardOutput {
 public:
  PosixOutput() {
    isTerminal_ = isatty(STDOUT_FILENO) == 1;
    errorIsTerminal_ = isatty(STDERR_FILENO) == 1;
    TerminalCodeset codeset = ChooseTerminalCodeset(LocaleName(), InstalledCodeset());
    if (!codeset.converterName.empty()) {
      converter_ = iconv_open(codeset.converterName.c_str(), "CP932");
      if (converter_ == kNoConversion && codeset.encoding != base::TerminalEncoding::kUtf8) {
        codeset = {base::TerminalEncoding::kUtf8, "UTF-8"};  // a codeset the system cannot write to
        converter_ = iconv_open("UTF-8", "CP932");
      }
      if (converter_ == kNoConversion) codeset = {base::TerminalEncoding::kShiftJis, ""};
    }
    encoding_ = codeset.encoding;
  }
  ~PosixOutput() override {
    if (converter_ != kNoConversion) iconv_close(converter_);
  }
  PosixOutput(const PosixOutput&) = delete;
  PosixOutput& operator=(const PosixOutput&) = delete;

  bool IsTerminal() const override { return isTerminal_; }
  bool ErrorIsTerminal() const override { return errorIsTerminal_; }
  base::TerminalEncoding Encoding() const override { return encoding_; }

  std::string ForTerminal(std::string_view sjis) const override {
    if (converter_ != kNoConversion) return Transcode(converter_, sjis);
    return std::string(sjis);
  }

  void Write(std::string_view sjis) override {
    if (isTerminal_ && converter_ != kNoConversion) {
      WriteAll(Transcode(converter_, sjis));
    } else {
      WriteAll(sjis);
    }
    std::fflush(stdout);
  }

  void WriteTerminalText(std::string_view text) override { WriteAll(text); }

  // A UTF-8 path goes to a UTF-8 terminal as it is; any other the way its
  // message form does.
  void WritePath(std::string_view path) override {
    WriteAll(PathForTerminal(*this, path));
    std::fflush(stdout);
  }

  void WriteErrorText(std::string_view sjis) override {
    const std::string text = errorIsTerminal_ ? ForTerminal(sjis) : std::string(sjis);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }

  // On a terminal the text around the path in its codeset, the path as
  // WritePath shows it.
  void WriteError(const PathLine& line) override {
    const std::string text = errorIsTerminal_ ? ForTerminal(line.before) + PathForTerminal(*this, line.path) +
                                                    ForTerminal(line.after)
                                              : line.Sjis();
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }

  void EraseToEndOfLine() override {
    WriteAll("\x1b[K");
    std::fflush(stdout);
  }

  void EraseLine() override {
    WriteAll("\r\x1b[K");
    std::fflush(stdout);
  }

 private:
  bool isTerminal_ = false;
  bool errorIsTerminal_ = false;
  base::TerminalEncoding encoding_ = base::TerminalEncoding::kShiftJis;
  iconv_t converter_ = kNoConversion;
};

}  // namespace

std::unique_ptr<StandardOutput> OpenStandardOutput() { return std::make_unique<PosixOutput>(); }

}  // namespace platform
