#include "platform/terminal.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

int OpenRawTerminal(termios& saved) {
  int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (tcgetattr(fd, &saved) != 0) {
    close(fd);
    return -1;
  }
  termios raw = saved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
  raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  // Keys typed ahead are kept, as a console keeps them.
  tcsetattr(fd, TCSANOW, &raw);
  return fd;
}

int ReadKey() {
  termios saved;
  int fd = OpenRawTerminal(saved);
  if (fd < 0) return -1;
  int code = -1;
  for (;;) {
    unsigned char c;
    ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n == 1 && c == 0) continue;  // a key that reports 0 first: read its second code
    if (n == 1) code = c;
    break;
  }
  tcsetattr(fd, TCSADRAIN, &saved);
  close(fd);
  return code;
}

}  // namespace platform
