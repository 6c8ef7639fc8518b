#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/text_columns.h"

namespace platform {

// Standard output as each system writes to it: the part of the console that
// differs between systems (platform/console.cpp holds the rest). Messages
// are given as Shift-JIS bytes.
class StandardOutput {
 public:
  virtual ~StandardOutput() = default;

  // True when standard output is a terminal (a console on Windows).
  virtual bool IsTerminal() const = 0;
  // How the text from ForTerminal encodes characters.
  virtual TerminalEncoding Encoding() const = 0;
  // Shift-JIS text in the terminal's codeset.
  virtual std::string ForTerminal(std::string_view sjis) const = 0;

  // Writes a message: in the terminal's codeset on a terminal, the bytes
  // themselves on a pipe or file. Nothing stays buffered.
  virtual void Write(std::string_view sjis) = 0;
  // Writes text that ForTerminal gave, to the terminal.
  virtual void WriteTerminalText(std::string_view text) = 0;
  // Blanks the line from the cursor to its end; the cursor stays.
  virtual void EraseToEndOfLine() = 0;
  // Moves the cursor to the start of its line and blanks the line.
  virtual void EraseLine() = 0;
};

// This system's standard output; defined once per system.
std::unique_ptr<StandardOutput> OpenStandardOutput();

}  // namespace platform
