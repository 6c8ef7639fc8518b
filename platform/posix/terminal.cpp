#include "platform/terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/posix/raw_terminal.h"

namespace platform {
namespace posix {
namespace {

// The terminal and what puts it back, for the handler of a signal that ends
// the process, which can reach nothing else: mutable globals, written only
// while that signal is blocked.
int gFd = -1;
termios gFormerMode;
const char* gLeave = nullptr;
size_t gLeaveLength = 0;

void WriteAll(int fd, const char* bytes, size_t length) {
  while (length > 0) {
    const ssize_t n = write(fd, bytes, length);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes += n;
    length -= static_cast<size_t>(n);
  }
}

// Only async-signal-safe calls.
extern "C" void PutBackAndEnd(int sig) {
  if (gFd >= 0) {
    WriteAll(gFd, gLeave, gLeaveLength);
    tcsetattr(gFd, TCSANOW, &gFormerMode);
  }
  signal(sig, SIG_DFL);
  raise(sig);  // delivered, and fatal, once the handler returns
}

}  // namespace

RawTerminal::RawTerminal(std::string_view enter, std::string_view leave) {
  handlers_.emplace(
      {SIGINT, SIGTERM, SIGHUP, SIGQUIT}, PutBackAndEnd, [&] { Open(enter, leave); }, [this] { Close(); });
}

RawTerminal::~RawTerminal() { handlers_.reset(); }

void RawTerminal::Open(std::string_view enter, std::string_view leave) {
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  if (tcgetattr(fd, &gFormerMode) != 0) {
    close(fd);
    return;
  }
  termios raw = gFormerMode;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
  raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  // Keys typed ahead are kept, as a console keeps them.
  tcsetattr(fd, TCSANOW, &raw);
  gLeave = leave.data();
  gLeaveLength = leave.size();
  gFd = fd_ = fd;
  WriteAll(fd, enter.data(), enter.size());
}

void RawTerminal::Close() {
  if (fd_ < 0) return;
  WriteAll(fd_, gLeave, gLeaveLength);
  tcsetattr(fd_, TCSADRAIN, &gFormerMode);
  close(fd_);
  gFd = fd_ = -1;
}

}  // namespace posix

namespace {

int ReadKeyFrom(int fd) {
  for (;;) {
    unsigned char c;
    ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n == 1 && c == 0) continue;  // a key that reports 0 first: read its second code
    return n == 1 ? c : -1;
  }
}

}  // namespace

int ReadKey() {
  const posix::RawTerminal terminal;
  return terminal.Fd() < 0 ? -1 : ReadKeyFrom(terminal.Fd());
}

int TerminalColumns() {
  winsize ws{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0) return 0;
  return ws.ws_col;
}

// A terminal outlives the processes it runs: there is no window to keep.
unsigned ConsoleProcessCount() { return 0; }

}  // namespace platform
