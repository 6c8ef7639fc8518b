#include "platform/terminal.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <iterator>
#include <optional>

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

namespace {

// The terminal and its mode to put back when a signal ends the wait for a
// key: mutable globals, as a signal handler can reach nothing else, set
// while the signals that use them are blocked.
int gKeyWaitFd = -1;
termios gKeyWaitMode;

// Ctrl-C and Ctrl-\ are keys in raw mode, but the signals may still come
// from elsewhere (kill, a closed terminal).
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RestoreAndEnd(int sig) {
  if (gKeyWaitFd >= 0) tcsetattr(gKeyWaitFd, TCSANOW, &gKeyWaitMode);
  std::signal(sig, SIG_DFL);
  std::raise(sig);  // delivered, and fatal, once the handler returns
}

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
  // No signal may end the process between raw mode and its handler.
  sigset_t ending, savedMask;
  sigemptyset(&ending);
  for (int sig : kEndingSignals) sigaddset(&ending, sig);
  pthread_sigmask(SIG_BLOCK, &ending, &savedMask);
  std::optional<posix::RawTerminal> terminal(std::in_place);
  gKeyWaitFd = terminal->Fd();
  gKeyWaitMode = terminal->Saved();
  struct sigaction restore {};
  restore.sa_handler = RestoreAndEnd;
  sigemptyset(&restore.sa_mask);
  struct sigaction saved[std::size(kEndingSignals)];
  bool replaced[std::size(kEndingSignals)] = {};
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
    // A signal the process was started ignoring stays ignored.
    if (sigaction(kEndingSignals[i], nullptr, &saved[i]) != 0 || saved[i].sa_handler == SIG_IGN) continue;
    replaced[i] = sigaction(kEndingSignals[i], &restore, nullptr) == 0;
  }
  pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);

  const int key = terminal->Fd() < 0 ? -1 : ReadKeyFrom(terminal->Fd());

  // The mode is put back before the handlers go.
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);
  terminal.reset();
  for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
    if (replaced[i]) sigaction(kEndingSignals[i], &saved[i], nullptr);
  }
  gKeyWaitFd = -1;
  pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);
  return key;
}

int TerminalColumns() {
  winsize ws{};
  if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0) return 0;
  return ws.ws_col;
}

// A terminal outlives the processes it runs: there is no window to keep.
unsigned ConsoleProcessCount() { return 0; }

}  // namespace platform
