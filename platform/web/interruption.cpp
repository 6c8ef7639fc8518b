// The page stops a conversion by ending the worker that runs it, with the
// files it was writing, which live in that worker's memory alone: nothing is
// left to remove.
#include "platform/interruption.h"

namespace platform {

bool NoteCreatedFile(const std::string&) { return true; }
void ForgetCreatedFile(const std::string&) {}
void NoteFileReplaced() {}

struct InterruptionHandling::Saved {};

InterruptionHandling::InterruptionHandling(std::string_view, std::string_view) {}
InterruptionHandling::~InterruptionHandling() = default;

}  // namespace platform
