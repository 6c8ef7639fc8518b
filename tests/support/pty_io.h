#pragma once

// Talking to the converter through a pseudo-terminal: the texts that mark
// where it waits, and a bounded read up to such a text. Shared by the tests
// that run the executable and the end-to-end benchmark.
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pty_io {

// "ゲームフォルダの選択" and "何かキーを押してください." as the Shift-JIS bytes a
// terminal with a Shift-JIS locale receives.
inline constexpr std::string_view kChooserTitleSjis =
    "\x83Q\x81[\x83\x80\x83t\x83H\x83\x8B\x83_\x82\xCC\x91I\x91\xF0";
inline constexpr std::string_view kPressAKeySjis =
    "\x89\xBD\x82\xA9\x83L\x81[\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2.\n";

// The question the chooser asks before it takes a folder without game data.
inline constexpr std::string_view kConfirmQuestion = "Convert anyway? [y/N]";

// Reads from `fd` into `out` until one of `markers` appears after `from`, the
// stream ends, or the deadline passes. The index of the marker that appeared
// first in the output, -1 when none did.
inline int ReadUntilAny(int fd, std::string& out, std::initializer_list<std::string_view> markers,
                        size_t from, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    int first = -1;
    size_t firstAt = std::string::npos;
    int index = 0;
    for (std::string_view marker : markers) {
      const size_t at = out.find(marker, from);
      if (at < firstAt) first = index, firstAt = at;
      ++index;
    }
    if (first >= 0) return first;
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return -1;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[4096];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) return -1;
    out.append(buf, static_cast<size_t>(n));
  }
}

// Reads from `fd` into `out` until `marker` appears after `from`, the stream
// ends, or the deadline passes. True when the marker was seen.
inline bool ReadUntil(int fd, std::string& out, std::string_view marker, size_t from,
                      std::chrono::steady_clock::time_point deadline) {
  while (out.find(marker, from) == std::string::npos) {
    auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
    char buf[4096];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n <= 0) return false;
    out.append(buf, static_cast<size_t>(n));
  }
  return true;
}

// How the converter is started under the pseudo-terminal.
struct TerminalSetup {
  unsigned short rows = 30;
  unsigned short columns = 120;
  // LANG; nothing leaves LANG unset. LC_ALL and LC_CTYPE are always unset.
  std::optional<std::string> lang = "ja_JP.SJIS";
  // LC_MESSAGES, the language of the product's own lines: English unless a
  // test asks for another (nothing leaves it unset, so that LANG decides).
  std::optional<std::string> messages = "C";
  std::vector<std::string> args;  // after the program's name
};

// Starts `exe` under a new pseudo-terminal (30 rows of 120 columns unless
// `setup` says otherwise) with output processing and echo off, so the
// caller reads exactly the bytes the converter writes, and with a Shift-JIS
// locale unless `setup` names another, so they are the Shift-JIS bytes.
// `beforeExec` runs in the child just before the converter starts. Returns
// the child's pid (-1 on failure) and sets `master`.
inline pid_t StartUnderTerminal(const std::string& exe, int& master,
                                const std::function<void()>& beforeExec = {},
                                const TerminalSetup& setup = {}) {
  winsize ws{};
  ws.ws_row = setup.rows;
  ws.ws_col = setup.columns;
  termios tio{};
  cfmakeraw(&tio);
  tio.c_lflag |= ICANON;
  pid_t pid = forkpty(&master, nullptr, &tio, &ws);
  if (pid == 0) {
    if (setup.lang) {
      setenv("LANG", setup.lang->c_str(), 1);
    } else {
      unsetenv("LANG");
    }
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    if (setup.messages) {
      setenv("LC_MESSAGES", setup.messages->c_str(), 1);
    } else {
      unsetenv("LC_MESSAGES");
    }
    if (beforeExec) beforeExec();
    std::vector<char*> argv{const_cast<char*>(exe.c_str())};
    for (const std::string& arg : setup.args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  return pid;
}

}  // namespace pty_io
