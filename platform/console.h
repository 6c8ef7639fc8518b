#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "base/text_columns.h"
#include "base/translations.h"
#include "platform/system_error.h"

namespace platform {

// The codeset the console writes to a terminal in.
struct TerminalCodeset {
  base::TerminalEncoding encoding = base::TerminalEncoding::kUtf8;
  std::string converterName;  // for the transcoder; empty: the Shift-JIS bytes go out unchanged
};

// Decides the terminal's codeset from the locale: `localeName` is the value
// of the first of LC_ALL, LC_CTYPE and LANG that is set (empty when none
// is), `installedCodeset` what the system reports for that locale when it
// has it installed (empty otherwise). The codeset the name carries wins
// ("ja_JP.eucJP"), then the installed one; Shift-JIS and CP932 leave the
// bytes as they are; a C or POSIX locale, no locale at all, or one whose
// codeset cannot show Japanese (ASCII) gives UTF-8.
TerminalCodeset ChooseTerminalCodeset(std::string_view localeName, std::string_view installedCodeset);

// A message line that carries a path: Shift-JIS text around a path as the
// program holds it (UTF-8 on Windows, the name's bytes elsewhere). A
// terminal shows the path in its own characters; a pipe, a file or a
// capture receives Sjis().
struct PathLine {
  std::string before;
  std::string path;
  std::string after;

  // The whole line in Shift-JIS, the path as PathForMessage shows it.
  std::string Sjis() const;
};

// The line of `text` (Shift-JIS, as a translated message is) with `path` in
// place of its first "%s".
PathLine WithPath(std::string_view text, std::string path);

// The converter's console. Every message is produced as Shift-JIS bytes.
// When standard output is a terminal they are written in the codeset of
// its locale (see ChooseTerminalCodeset) so a person can read them (on
// Windows a console is given the characters themselves, whatever its code
// page); pipes and files receive the Shift-JIS bytes unchanged. Standard
// error is judged by itself in the same way. One object
// per run, owned by the driver.
class Console {
 public:
  // Standard output.
  Console();
  // Every message goes to `capture` unchanged, and no progress is shown
  // (tests compare the exact bytes).
  explicit Console(std::function<void(std::string_view)> capture);
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // Writes a message, erasing the progress line first.
  void Print(std::string_view sjis);
  void Printf(const char* format, ...) AVD_PRINTF_FORMAT(2, 3);
  // Writes a line that carries a path (see PathLine).
  void Print(const PathLine& line);
  // Puts out what standard output still holds; the failure of the first
  // message that could not be written (a full disk, a closed pipe), or of
  // this last flush.
  Result<> FinishOutput();

  // Writes a line to standard error (erasing the progress line first), in
  // the terminal's codeset when standard error is a terminal, whatever
  // standard output is; a capturing console captures it like any other.
  void Error(std::string_view text);
  // Writes a line that carries a path to standard error (see PathLine).
  void Error(const PathLine& line);

  // A one-line progress display, redrawn in place on a terminal and erased
  // before any other output; does nothing when standard output is not a
  // terminal, the console captures or progress is turned off. The line is
  // cut to the terminal's width, so it never wraps.
  void ShowProgress(std::string_view sjis);
  void ClearProgress();
  void EnableProgress(bool enabled);

  // True when standard output is a terminal (never for a capturing console).
  bool IsTerminal() const;
  // The same for standard error, judged apart from standard output.
  bool ErrorIsTerminal() const;

  // Shift-JIS text as it should be written to the terminal, in the
  // terminal's codeset.
  std::string ForTerminal(std::string_view sjis) const;
  // A path or name as the terminal shows it (see PathForTerminal in
  // platform/standard_output.h); a capturing console gives PathForMessage.
  std::string PathForTerminal(std::string_view path) const;
  // How the text from ForTerminal encodes characters, to cut it to a width.
  base::TerminalEncoding Encoding() const;

  // The language of the lines the product adds (English unless told).
  void UseLanguage(base::Language language) { texts_ = base::Translations(language); }
  const base::Translations& Texts() const { return texts_; }
  // `english` in that language, in Shift-JIS.
  const char* Tr(const char* english) const __attribute__((format_arg(2))) { return texts_.Tr(english); }

 private:
  void NoteOutputFailure();

  struct State;
  std::unique_ptr<State> state_;
  base::Translations texts_;
};

// Progress of one pass over `total` files: "<pass>: <n>/<total>, now
// <file>" while the n-th file is worked on, shown before each file and
// erased when the pass ends.
class PassProgress {
 public:
  PassProgress(Console& console, std::string pass, size_t total)
      : console_(console), pass_(std::move(pass)), total_(total) {}
  ~PassProgress() { console_.ClearProgress(); }
  PassProgress(const PassProgress&) = delete;
  PassProgress& operator=(const PassProgress&) = delete;

  // Announces the next file (the previous one, if any, is done).
  void Next(std::string_view file);

 private:
  Console& console_;
  std::string pass_;
  size_t total_;
  size_t current_ = 0;
};

// Hands the lines of the converters to the console.
class ConsoleDiagnostics final : public base::Diagnostics {
 public:
  explicit ConsoleDiagnostics(Console& console) : console_(console) {}
  void Line(std::string_view sjis) override { console_.Print(sjis); }
  const char* Translate(const char* english) const override __attribute__((format_arg(2))) {
    return console_.Tr(english);
  }

 private:
  Console& console_;
};

}  // namespace platform
