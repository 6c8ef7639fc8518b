// The chooser's keys from a terminal's bytes: escape sequences, a lone Esc
// told apart by the wait behind it, and what ends the wait.
#include "chooser/chooser_keys.h"

#include <gtest/gtest.h>

#include <deque>
#include <string_view>
#include <vector>

namespace {

namespace key = chooser::key;
namespace byte_read = chooser::byte_read;

// The keys in `bytes`, read as a terminal delivers them: a wait with a time
// limit finds nothing after the last byte; an endless wait finds `atEnd`.
std::vector<int> Keys(std::string_view bytes, int atEnd = byte_read::kClosed) {
  std::deque<int> pending(bytes.begin(), bytes.end());
  for (int& b : pending) b &= 0xFF;
  chooser::KeyReader reader([&](int timeoutMs) {
    if (pending.empty()) return timeoutMs < 0 ? atEnd : byte_read::kTimedOut;
    const int b = pending.front();
    pending.pop_front();
    return b;
  });
  std::vector<int> keys;
  for (int k = reader.Next(); k != key::kClosed && k != key::kResize; k = reader.Next()) keys.push_back(k);
  return keys;
}

TEST(ChooserKeys, SequencesOfTheArrowAndPagingKeysInTheirCommonForms) {
  EXPECT_EQ(Keys("\x1b[A\x1b[B\x1b[C\x1b[D"), (std::vector{key::kUp, key::kDown, key::kRight, key::kLeft}));
  EXPECT_EQ(Keys("\x1bOA\x1bOB\x1bOC\x1bOD"), (std::vector{key::kUp, key::kDown, key::kRight, key::kLeft}));
  EXPECT_EQ(Keys("\x1b[5~\x1b[6~"), (std::vector{key::kPageUp, key::kPageDown}));
  EXPECT_EQ(Keys("\x1b[H\x1b[1~\x1b[7~\x1bOH"),
            (std::vector{key::kHome, key::kHome, key::kHome, key::kHome}));
  EXPECT_EQ(Keys("\x1b[F\x1b[4~\x1b[8~\x1bOF"), (std::vector{key::kEnd, key::kEnd, key::kEnd, key::kEnd}));
}

TEST(ChooserKeys, BytesComeAsTheyAreButCtrlCInterrupts) {
  EXPECT_EQ(Keys("a \r\t\x7f\x15\xE6"), (std::vector<int>{'a', ' ', '\r', '\t', 0x7F, 0x15, 0xE6}));
  EXPECT_EQ(Keys("x\x03y"), (std::vector<int>{'x', key::kInterrupt, 'y'}));
}

TEST(ChooserKeys, AnEscNothingFollowsIsEscAndTwoInARowAreTwoKeys) {
  EXPECT_EQ(Keys("\x1b"), std::vector{key::kEscape});
  // Esc, then an arrow at once: the second Esc starts the arrow's sequence.
  EXPECT_EQ(Keys("\x1b\x1b[B"), (std::vector{key::kEscape, key::kDown}));
  EXPECT_EQ(Keys("\x1b\x1b"), (std::vector{key::kEscape, key::kEscape}));
}

TEST(ChooserKeys, OtherSequencesAreReadToTheirEndAndIgnored) {
  // Delete, F5 with a modifier, an Alt-x, a sequence longer than any key's.
  EXPECT_EQ(
      Keys("\x1b[3~a\x1b[15;2~b\x1bxc\x1b[1;2;3;4;5;6;7;8;9Ad"),
      (std::vector<int>{key::kUnknown, 'a', key::kUnknown, 'b', key::kUnknown, 'c', key::kUnknown, 'd'}));
  // A sequence cut off by the end of the input.
  EXPECT_EQ(Keys("\x1b[1"), std::vector{key::kUnknown});
}

TEST(ChooserKeys, AResizeDuringTheWaitEndsItAsAKeyOfItsOwn) {
  std::deque<int> pending = {'a', byte_read::kResized, 'b'};
  chooser::KeyReader reader([&](int) {
    const int b = pending.front();
    pending.pop_front();
    return b;
  });
  EXPECT_EQ(reader.Next(), 'a');
  EXPECT_EQ(reader.Next(), key::kResize);
  EXPECT_EQ(reader.Next(), 'b');
}

}  // namespace
