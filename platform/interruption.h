#pragma once

#include <memory>
#include <string>
#include <string_view>

// Ending a conversion cleanly when it is interrupted (Ctrl-C), asked to
// terminate or hung up on.
namespace platform {

// The files this run has created and not yet renamed into place or removed,
// which an interruption removes. The output file interface notes a file just
// before it creates it and forgets it once it is renamed or removed. At most
// kMaxNotedFiles paths of less than kMaxNotedPathLength bytes are kept;
// NoteCreatedFile returns false for one it cannot keep (an interruption
// would leave that file behind). Called from one thread at a time.
inline constexpr size_t kMaxNotedFiles = 8;
inline constexpr size_t kMaxNotedPathLength = 4096;
bool NoteCreatedFile(const std::string& path);
void ForgetCreatedFile(const std::string& path);
// Called by ReplaceFile once it has put a file in place: an interruption
// from then on reports that with the handling's second message.
void NoteFileReplaced();

// While an object lives, an interruption ends the process at once: the
// noted files are removed (an earlier archive stays as it was), the progress
// line is erased, the terminal's mode put back, `message` (one line, with
// its line ending, at most 255 bytes, as standard error takes it; on Windows
// Shift-JIS, which a console is given as its characters) written to
// standard error, or
// `messageAfterReplace` once ReplaceFile has put a file in place while the
// object lives, and the process exits with 128 + the signal number. Meanwhile output to a closed
// pipe fails instead of ending the process. The former handling is put back
// when the object ends. One object at a time. On Windows the interruptions
// are Ctrl-C, Ctrl-Break and closing the console (or logging off), and the
// status is 128 + the number of the C runtime's or POSIX's signal for the
// same event: 130, 149, 129 (143).
class InterruptionHandling {
 public:
  InterruptionHandling(std::string_view message, std::string_view messageAfterReplace);
  ~InterruptionHandling();
  InterruptionHandling(const InterruptionHandling&) = delete;
  InterruptionHandling& operator=(const InterruptionHandling&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
};

}  // namespace platform
