#pragma once

#include <functional>

// Keys of the folder chooser as a terminal sends them: plain bytes, and the
// escape sequences of the arrow and paging keys.
namespace chooser {

// A key: a byte (0-255) as typed, or one of these.
namespace key {
inline constexpr int kClosed = -1;  // the input ended or failed
inline constexpr int kUp = -2, kDown = -3, kLeft = -4, kRight = -5, kPageUp = -6, kPageDown = -7;
inline constexpr int kUnknown = -8;  // an escape sequence of some other key
inline constexpr int kHome = -9, kEnd = -10, kEscape = -11;
inline constexpr int kInterrupt = -12;  // Ctrl-C
inline constexpr int kResize = -13;     // the terminal changed its size while waiting
}  // namespace key

// What a byte source gives besides a byte.
namespace byte_read {
inline constexpr int kClosed = -1;    // the input ended or failed
inline constexpr int kTimedOut = -2;  // nothing came in time
inline constexpr int kResized = -3;   // the terminal was resized during an endless wait
}  // namespace byte_read

// Reads a byte, waiting at most `timeoutMs` milliseconds, or for ever when
// it is negative: a byte or one of byte_read's values.
using ByteSource = std::function<int(int timeoutMs)>;

// Turns the bytes of a source into keys. An Esc alone is told from the start
// of a sequence by the wait for what follows it.
class KeyReader {
 public:
  explicit KeyReader(ByteSource source) : source_(std::move(source)) {}

  // Waits for the next key.
  int Next();

 private:
  int ReadByte(int timeoutMs);

  ByteSource source_;
  int pushedBack_ = -1;
};

}  // namespace chooser
