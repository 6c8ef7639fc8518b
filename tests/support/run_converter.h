#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "pty_io.h"

namespace test_support {

using pty_io::kChooserTitleSjis;
using pty_io::kPressAKeySjis;

struct RunResult {
  int exitStatus = -1;  // -1 when the process did not end by itself
  std::string output;   // everything the process wrote
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

// Copies the converter into `folder` (so its "DATA" folder and archive live
// there) and returns the copy's path.
inline std::string InstallConverter(const std::filesystem::path& folder) {
  std::filesystem::path target = folder / "avdconv";
  std::filesystem::copy_file(AVDCONV_PATH, target, std::filesystem::copy_options::overwrite_existing);
  return target.string();
}

namespace detail {

inline int WaitForExit(pid_t pid, std::chrono::steady_clock::time_point deadline, long* peakRssKb = nullptr) {
  for (;;) {
    int status = 0;
    rusage usage{};
    pid_t r = wait4(pid, &status, WNOHANG, &usage);
    if (r == pid) {
      if (peakRssKb) *peakRssKb = usage.ru_maxrss;
      return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    usleep(10000);
  }
}

}  // namespace detail

// Runs the converter at `exe` under a pseudo-terminal with a locale that is
// not UTF-8: waits for the folder chooser, types `typed` (a path and Enter, or
// any keys), waits for the final prompt and presses `key`. `beforeExec` runs
// in the child process just before the converter starts (to set limits).
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
    if (pty_io::ReadUntil(master, result.output, kPressAKeySjis, from, deadline)) {
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

}  // namespace test_support
