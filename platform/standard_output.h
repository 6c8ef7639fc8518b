#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "base/text_columns.h"

namespace platform {

struct PathLine;

// Standard output as each system writes to it: the part of the console that
// differs between systems (platform/console.cpp holds the rest). Messages
// are given as Shift-JIS bytes.
class StandardOutput {
 public:
  virtual ~StandardOutput() = default;

  // True when standard output is a terminal (a console on Windows).
  virtual bool IsTerminal() const = 0;
  // True when standard error is one: each stream is judged by itself.
  virtual bool ErrorIsTerminal() const = 0;
  // How the text from ForTerminal encodes characters.
  virtual base::TerminalEncoding Encoding() const = 0;
  // Shift-JIS text in the terminal's codeset.
  virtual std::string ForTerminal(std::string_view sjis) const = 0;

  // Writes a message: in the terminal's codeset on a terminal, the bytes
  // themselves on a pipe or file. Nothing stays buffered.
  virtual void Write(std::string_view sjis) = 0;
  // Writes a path (as the program holds it) to the terminal in its own
  // characters where the terminal can show them, control bytes escaped.
  virtual void WritePath(std::string_view path) = 0;
  // Writes a message to standard error: in the terminal's codeset when
  // standard error is a terminal, the bytes themselves otherwise. Nothing
  // stays buffered.
  virtual void WriteErrorText(std::string_view sjis) = 0;
  // Writes a line that carries a path to standard error: on a terminal with
  // the path in its own characters, otherwise line.Sjis(). Nothing stays
  // buffered.
  virtual void WriteError(const PathLine& line) = 0;
  // Writes text that ForTerminal gave, to the terminal.
  virtual void WriteTerminalText(std::string_view text) = 0;
  // Blanks the line from the cursor to its end; the cursor stays.
  virtual void EraseToEndOfLine() = 0;
  // Moves the cursor to the start of its line and blanks the line.
  virtual void EraseLine() = 0;
};

// A path (as the program holds it) as `output`'s terminal shows it: a UTF-8
// path on a UTF-8 terminal in its own characters (composed), any other in
// its message form (PathForMessage) in the terminal's codeset; control
// bytes and codes with no character as \xNN.
std::string PathForTerminal(const StandardOutput& output, std::string_view path);

// This system's standard output; defined once per system.
std::unique_ptr<StandardOutput> OpenStandardOutput();

}  // namespace platform
