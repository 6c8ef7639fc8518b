#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pty_io.h"

namespace test_support {

using pty_io::kChooserTitleSjis;
using pty_io::kPressAKeySjis;

struct RunResult {
  int exitStatus = -1;  // -1 when the process did not end by itself
  std::string output;   // everything the process wrote
  std::string errors;   // what it wrote to standard error, when that is captured apart
  long peakRssKb = 0;   // the process's largest resident set, in KiB
};

// The output without the progress line: every "\r...ESC[K" run (a redraw
// or the erasure of the line) is removed.
inline std::string WithoutProgress(std::string output) {
  for (size_t cr = output.find('\r'); cr != std::string::npos; cr = output.find('\r', cr)) {
    size_t end = output.find("\x1b[K", cr);
    if (end == std::string::npos) break;
    output.erase(cr, end + 3 - cr);
  }
  return output;
}

// The output without the summary line "Converted: ...", which a terminal
// is shown at the end of a conversion.
inline std::string WithoutSummary(std::string output) {
  const size_t at = output.find("Converted: ");
  if (at != std::string::npos && (at == 0 || output[at - 1] == '\n')) {
    const size_t end = output.find('\n', at);
    output.erase(at, end == std::string::npos ? std::string::npos : end + 1 - at);
  }
  return output;
}

// Copies the converter into `folder` (so its "DATA" folder and archive live
// there) and returns the copy's path.
inline std::string InstallConverter(const std::filesystem::path& folder) {
  std::filesystem::path target = folder / "avdconv";
  std::filesystem::copy_file(AVDCONV_PATH, target, std::filesystem::copy_options::overwrite_existing);
  return target.string();
}

namespace detail {

// The exit status of a process that ended, 128 + the signal's number for one
// a signal ended (as a shell reports it).
inline int StatusOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  return WIFSIGNALED(waitStatus) ? 128 + WTERMSIG(waitStatus) : -1;
}

// Waits for the child `pid` to end: its status (StatusOf), or -1 when it has
// not ended by the deadline (it is killed then).
inline int WaitForExit(pid_t pid, std::chrono::steady_clock::time_point deadline, long* peakRssKb = nullptr) {
  // A pidfd turns readable when the process ends: no polling interval.
  const int ended = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  int result = -1;
  for (;;) {
    int status = 0;
    rusage usage{};
    pid_t r = wait4(pid, &status, WNOHANG, &usage);
    if (r == pid) {
      if (peakRssKb) *peakRssKb = usage.ru_maxrss;
      result = StatusOf(status);
      break;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (r < 0 || left.count() <= 0) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      break;
    }
    pollfd p{ended, POLLIN, 0};
    poll(&p, ended >= 0 ? 1 : 0, static_cast<int>(std::min<int64_t>(left.count(), ended >= 0 ? 60000 : 10)));
  }
  if (ended >= 0) close(ended);
  return result;
}

}  // namespace detail

#ifdef STOP_AT_LIBRARY
// Runs in the child before the converter starts: preloads
// tests/support/stop_at.c with `variable` set to `value`.
inline std::function<void()> WithStopAtLibrary(const std::string& variable, const std::string& value) {
  return [variable, value] {
    setenv("LD_PRELOAD", STOP_AT_LIBRARY, 1);
    setenv(variable.c_str(), value.c_str(), 1);
    // A sanitized converter accepts a library loaded ahead of its runtime.
    const char* asan = getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0").c_str(), 1);
  };
}

// The converter stops itself at `point` (see tests/support/stop_at.c for
// the points), so a test can interrupt it exactly there.
inline std::function<void()> StopAt(const std::string& point) {
  return WithStopAtLibrary("AVD_STOP_AT", point);
}

// As StopAt, but the converter goes on once continued.
inline std::function<void()> StopAtThenGoOn(const std::string& point) {
  return [point] {
    StopAt(point)();
    setenv("AVD_STOP_THEN_GO", "1", 1);
  };
}

// The converter cannot find its own folder, as on a system without /proc.
inline std::function<void()> WithoutExecutablePath() {
  return WithStopAtLibrary("AVD_NO_EXECUTABLE_PATH", "1");
}
#endif

// Runs the converter at `exe` under a pseudo-terminal with a Shift-JIS
// locale: waits for the folder chooser, types `typed` (a path and Enter, or
// any keys), answers y when asked to confirm a folder without game data,
// waits for the final prompt and presses `key`. `beforeExec` runs in the
// child process just before the converter starts (to set limits).
inline RunResult RunWithTerminal(const std::string& exe, const std::string& typed, char key,
                                 std::chrono::seconds timeout = std::chrono::seconds(60),
                                 const std::function<void()>& beforeExec = {}) {
  RunResult result;
  int master = -1;
  pid_t pid = pty_io::StartUnderTerminal(exe, master, beforeExec);
  if (pid < 0) return result;
  auto deadline = std::chrono::steady_clock::now() + timeout;
  if (pty_io::ReadUntil(master, result.output, kChooserTitleSjis, 0, deadline)) {
    ssize_t ignored = write(master, typed.data(), typed.size());
    (void)ignored;
    size_t from = result.output.size();
    for (int seen;
         (seen = pty_io::ReadUntilAny(master, result.output, {kPressAKeySjis, pty_io::kConfirmQuestion}, from,
                                      deadline)) == 1;) {
      ignored = write(master, "y", 1);
      from = result.output.find(pty_io::kConfirmQuestion, from) + pty_io::kConfirmQuestion.size();
    }
    if (result.output.find(kPressAKeySjis, from) != std::string::npos) {
      ignored = write(master, &key, 1);
      (void)ignored;
    }
  }
  // Drain what is left so the child never blocks on a full terminal.
  while (pty_io::ReadUntil(
      master, result.output, "\x01\x02\x03-never", result.output.size(),
      std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(200)))) {
  }
  result.exitStatus = detail::WaitForExit(pid, deadline, &result.peakRssKb);
  close(master);
  return result;
}

// Runs the converter at `exe` without a controlling terminal, standard input
// closed, and returns exactly what it wrote to standard output.
inline RunResult RunWithoutTerminal(const std::string& exe,
                                    std::chrono::seconds timeout = std::chrono::seconds(60)) {
  RunResult result;
  int out[2];
  if (pipe(out) != 0) return result;
  pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    setsid();  // no controlling terminal
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  auto deadline = std::chrono::steady_clock::now() + timeout;
  pty_io::ReadUntil(out[0], result.output, "\x01\x02\x03-never", 0, deadline);
  result.exitStatus = detail::WaitForExit(pid, deadline);
  close(out[0]);
  return result;
}

// Runs the converter at `exe` with `args`, without a controlling terminal
// (as from cron or CI), standard input from /dev/null, and standard output
// and standard error on pipes of their own. `lang` is LANG (nothing: unset).
inline RunResult RunPiped(const std::string& exe, const std::vector<std::string>& args,
                          const std::optional<std::string>& lang = std::string("C"),
                          std::chrono::seconds timeout = std::chrono::seconds(60),
                          const std::function<void()>& beforeExec = {}) {
  RunResult result;
  int out[2], err[2];
  if (pipe(out) != 0) return result;
  if (pipe(err) != 0) return result;
  pid_t pid = fork();
  if (pid < 0) return result;
  if (pid == 0) {
    setsid();
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    if (lang) {
      setenv("LANG", lang->c_str(), 1);
    } else {
      unsetenv("LANG");
    }
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    unsetenv("LC_MESSAGES");  // LANG decides the language too
    if (beforeExec) beforeExec();
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  auto deadline = std::chrono::steady_clock::now() + timeout;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* into[2] = {&result.output, &result.errors};
  int open = 2;
  while (open > 0 && std::chrono::steady_clock::now() < deadline) {
    if (poll(fds, 2, 100) <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buf[4096];
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        into[i]->append(buf, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  result.exitStatus = detail::WaitForExit(pid, deadline);
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  return result;
}

// The converter under a pseudo-terminal, driven step by step: wait for a
// text, type keys, send a signal, resize the window.
class TerminalSession {
 public:
  explicit TerminalSession(const std::string& exe, const pty_io::TerminalSetup& setup = {},
                           const std::function<void()>& beforeExec = {},
                           std::chrono::seconds timeout = std::chrono::seconds(60))
      : deadline_(std::chrono::steady_clock::now() + timeout) {
    pid_ = pty_io::StartUnderTerminal(exe, master_, beforeExec, setup);
  }
  ~TerminalSession() {
    if (pid_ > 0 && !finished_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  TerminalSession(const TerminalSession&) = delete;
  TerminalSession& operator=(const TerminalSession&) = delete;

  // Reads until `marker` appears behind what earlier waits consumed; true
  // when it did (and it is consumed too).
  bool WaitFor(std::string_view marker) {
    if (!pty_io::ReadUntil(master_, output_, marker, seen_, deadline_)) return false;
    seen_ = output_.find(marker, seen_) + marker.size();
    return true;
  }
  void Type(std::string_view keys) {
    ssize_t ignored = write(master_, keys.data(), keys.size());
    (void)ignored;
  }
  void Signal(int sig) { kill(pid_, sig); }
  void Resize(unsigned short rows, unsigned short columns) {
    winsize ws{};
    ws.ws_row = rows;
    ws.ws_col = columns;
    ioctl(master_, TIOCSWINSZ, &ws);  // the terminal signals the converter itself
  }
  // Reads what is left and waits for the end: the exit status (128 + N for
  // signal N), -1 when the converter did not end by itself in time.
  int Finish() {
    while (pty_io::ReadUntil(master_, output_, "\x01\x02\x03-never", output_.size(), deadline_)) {
    }
    if (finished_) return status_;
    finished_ = true;
    return detail::WaitForExit(pid_, deadline_);
  }
  // Waits until the converter has stopped itself (see StopAt), reading the
  // terminal meanwhile so that it never blocks on it. False when it ended
  // or the time ran out first.
  bool WaitForStop() {
    for (;;) {
      int status = 0;
      const pid_t r = waitpid(pid_, &status, WUNTRACED | WNOHANG);
      if (r == pid_ && WIFSTOPPED(status)) return true;
      if (r == pid_ || r < 0) {
        finished_ = true;
        status_ = detail::StatusOf(status);
        return false;
      }
      if (std::chrono::steady_clock::now() > deadline_) return false;
      ReadSome();
    }
  }
  // Sends `sig` to the converter that has stopped itself, and lets it go on
  // to receive it.
  void SignalStopped(int sig) {
    kill(pid_, sig);
    kill(pid_, SIGCONT);
  }
  // Reads once what the terminal has (waiting at most 100 ms): for callers
  // that watch something else besides.
  void ReadSome() {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) return;
    char buf[4096];
    ssize_t n = read(master_, buf, sizeof buf);
    if (n > 0) output_.append(buf, static_cast<size_t>(n));
  }
  const std::string& Output() const { return output_; }
  int Master() const { return master_; }
  pid_t Pid() const { return pid_; }

 private:
  int master_ = -1;
  pid_t pid_ = -1;
  std::chrono::steady_clock::time_point deadline_;
  std::string output_;
  size_t seen_ = 0;
  bool finished_ = false;
  int status_ = -1;  // once finished_ by WaitForStop
};

}  // namespace test_support
