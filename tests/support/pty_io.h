#pragma once

// Talking to the converter through a pseudo-terminal: the texts that mark
// where it waits, and a bounded read up to such a text. Shared by the tests
// that run the executable and the end-to-end benchmark.
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <string_view>

namespace pty_io {

// "ゲームフォルダの選択" and "何かキーを押してください." as the Shift-JIS bytes a
// terminal without a UTF-8 locale receives.
inline constexpr std::string_view kChooserTitleSjis =
    "\x83Q\x81[\x83\x80\x83t\x83H\x83\x8B\x83_\x82\xCC\x91I\x91\xF0";
inline constexpr std::string_view kPressAKeySjis =
    "\x89\xBD\x82\xA9\x83L\x81[\x82\xF0\x89\x9F\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2.\n";

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

}  // namespace pty_io
