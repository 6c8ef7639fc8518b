#include "platform/terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/raw_terminal.h"

namespace platform {
namespace posix {

RawTerminal::RawTerminal() {
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  if (tcgetattr(fd, &saved_) != 0) {
    close(fd);
    return;
  }
  termios raw = saved_;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
  raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  // Keys typed ahead are kept, as a console keeps them.
  tcsetattr(fd, TCSANOW, &raw);
  fd_ = fd;
}

RawTerminal::~RawTerminal() {
  if (fd_ < 0) return;
  tcsetattr(fd_, TCSADRAIN, &saved_);
  close(fd_);
}

}  // namespace posix

int ReadKey() {
  posix::RawTerminal terminal;
  if (terminal.Fd() < 0) return -1;
  for (;;) {
    unsigned char c;
    ssize_t n = read(terminal.Fd(), &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n == 1 && c == 0) continue;  // a key that reports 0 first: read its second code
    return n == 1 ? c : -1;
  }
}

int TerminalColumns() {
  winsize ws{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0) return 0;
  return ws.ws_col;
}

}  // namespace platform
