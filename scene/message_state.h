#pragma once

#include <cstdint>
#include <string>

namespace scene {

// What the text-message translation carries from one message to the next
// within one scenario (reset at the start of every scenario).
struct MessageState {
  // pendingEnd while no ending waits.
  static constexpr int32_t kNoPendingEnd = -1;

  // The last speaker name, as rewritten, up to and including its closing
  // bracket.
  std::string speakerName;
  // Set when the last message ended a quote, or while a name is held back;
  // cleared by any other visible character. A quote that opens while it is
  // set (and something is pending) repeats the speaker first.
  bool mayResume = false;
  // Set from an opening corner bracket to the next closing one.
  bool quoteOpen = false;
  // A speaker name waits for the quote that follows it.
  bool nameHeldBack = false;
  // The output position of the ending byte of the last message that ended
  // a quote, or kNoPendingEnd. At most one of nameHeldBack and pendingEnd is
  // set.
  int32_t pendingEnd = kNoPendingEnd;

  // True while a held-back name or a quote's ending waits for a quote.
  bool Pending() const { return nameHeldBack || pendingEnd != kNoPendingEnd; }
  void HoldBackName() {
    nameHeldBack = true;
    pendingEnd = kNoPendingEnd;
  }
  void SetPendingEnd(int32_t position) {
    nameHeldBack = false;
    pendingEnd = position;
  }
  void ClearPending() {
    nameHeldBack = false;
    pendingEnd = kNoPendingEnd;
  }

  void Reset() { *this = MessageState{}; }
};

}  // namespace scene
