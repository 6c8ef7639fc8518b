#include "platform/interruption.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <optional>

#include "platform/posix/signal_handlers.h"

namespace platform {
namespace {

// What the signal handler needs and can reach in no other way: mutable
// globals, written only while no handler can read them half-way (a slot is
// filled before it is marked in use, and unmarked before it is reused).
struct NotedFile {
  volatile sig_atomic_t inUse;
  char path[kMaxNotedPathLength];
};
NotedFile gNotedFiles[kMaxNotedFiles];

struct Message {
  char text[256];
  size_t length;
};
// Before and after a file has been put in place.
Message gMessages[2];
volatile sig_atomic_t gReplaced = 0;
bool gEraseProgress = false;
int gTerminalFd = -1;
termios gTerminalMode;

void WriteAll(int fd, const char* text, size_t length) {
  while (length > 0) {
    const ssize_t n = write(fd, text, length);
    if (n <= 0) return;  // EINTR cannot occur: every signal that ends here is blocked
    text += n;
    length -= static_cast<size_t>(n);
  }
}

// Only async-signal-safe calls: unlink, write, tcsetattr, _exit.
extern "C" void OnInterruption(int sig) {
  for (NotedFile& file : gNotedFiles) {
    if (file.inUse) unlink(file.path);
  }
  if (gEraseProgress) WriteAll(STDOUT_FILENO, "\r\x1b[K", 4);
  if (gTerminalFd >= 0) tcsetattr(gTerminalFd, TCSANOW, &gTerminalMode);
  const Message& message = gMessages[gReplaced ? 1 : 0];
  WriteAll(STDERR_FILENO, message.text, message.length);
  _exit(128 + sig);
}

}  // namespace

bool NoteCreatedFile(const std::string& path) {
  if (path.empty() || path.size() >= kMaxNotedPathLength || path.find('\0') != std::string::npos)
    return false;
  NotedFile* freeSlot = nullptr;
  for (NotedFile& file : gNotedFiles) {
    if (file.inUse && path == file.path) return true;
    if (!file.inUse && !freeSlot) freeSlot = &file;
  }
  if (!freeSlot) return false;
  std::memcpy(freeSlot->path, path.c_str(), path.size() + 1);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  freeSlot->inUse = 1;
  return true;
}

void ForgetCreatedFile(const std::string& path) {
  for (NotedFile& file : gNotedFiles) {
    if (file.inUse && path == file.path) {
      file.inUse = 0;
      std::atomic_signal_fence(std::memory_order_seq_cst);
    }
  }
}

void NoteFileReplaced() {
  std::atomic_signal_fence(std::memory_order_seq_cst);
  gReplaced = 1;
}

struct InterruptionHandling::Saved {
  std::optional<posix::SignalHandlers> ending;
  std::optional<posix::SignalHandlers> brokenPipe;
};

InterruptionHandling::InterruptionHandling(std::string_view message, std::string_view messageAfterReplace)
    : saved_(std::make_unique<Saved>()) {
  saved_->ending.emplace({SIGINT, SIGTERM, SIGHUP}, OnInterruption, [&] {
    const std::string_view texts[] = {message, messageAfterReplace};
    for (size_t i = 0; i < std::size(texts); ++i) {
      gMessages[i].length = std::min(texts[i].size(), sizeof gMessages[i].text);
      std::memcpy(gMessages[i].text, texts[i].data(), gMessages[i].length);
    }
    gReplaced = 0;
    gEraseProgress = isatty(STDOUT_FILENO) == 1;
    gTerminalFd = -1;
    for (int fd : {STDOUT_FILENO, STDIN_FILENO, STDERR_FILENO}) {
      if (isatty(fd) == 1 && tcgetattr(fd, &gTerminalMode) == 0) {
        gTerminalFd = fd;
        break;
      }
    }
  });
  // Output to a reader that went away (`avdconv GAME | head -1`) fails
  // instead of ending the process halfway with its files left behind.
  saved_->brokenPipe.emplace({SIGPIPE}, SIG_IGN);
}

InterruptionHandling::~InterruptionHandling() {
  saved_->ending.reset();
  saved_->brokenPipe.reset();
}

}  // namespace platform
