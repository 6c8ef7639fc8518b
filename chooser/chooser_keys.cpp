#include "chooser/chooser_keys.h"

#include <string>
#include <utility>

namespace chooser {
namespace {

// How long the rest of an escape sequence may take to come.
constexpr int kSequenceWaitMs = 50;
constexpr size_t kLongestSequence = 8;

}  // namespace

int KeyReader::ReadByte(int timeoutMs) {
  if (pushedBack_ >= 0) return std::exchange(pushedBack_, -1);
  return source_(timeoutMs);
}

int KeyReader::Next() {
  const int c = ReadByte(-1);
  if (c == byte_read::kResized) return key::kResize;
  if (c < 0) return key::kClosed;
  if (c == 0x03) return key::kInterrupt;
  if (c != 0x1B) return c;
  const int next = ReadByte(kSequenceWaitMs);
  if (next == 0x1B) pushedBack_ = next;  // Esc, then another key that starts with Esc
  if (next == byte_read::kTimedOut || next == 0x1B) return key::kEscape;
  if (next != '[' && next != 'O') return key::kUnknown;
  std::string seq;
  for (int b = ReadByte(kSequenceWaitMs); b >= 0; b = ReadByte(kSequenceWaitMs)) {
    // A sequence longer than any key's is read to its end but not kept.
    if (seq.size() < kLongestSequence) seq.push_back(static_cast<char>(b));
    if (b >= 0x40 && b <= 0x7E) break;
  }
  if (seq == "A") return key::kUp;
  if (seq == "B") return key::kDown;
  if (seq == "C") return key::kRight;
  if (seq == "D") return key::kLeft;
  if (seq == "5~") return key::kPageUp;
  if (seq == "6~") return key::kPageDown;
  if (seq == "H" || seq == "1~" || seq == "7~") return key::kHome;
  if (seq == "F" || seq == "4~" || seq == "8~") return key::kEnd;
  return key::kUnknown;
}

}  // namespace chooser
