#pragma once

#include <cstdint>
#include <string>

namespace scene {

// What the text-message translation carries from one message to the next
// within one scenario (reset at the start of every scenario).
struct MessageState {
  // The last speaker name, as rewritten, up to and including its closing
  // bracket.
  std::string speakerName;
  // 1 when the last message ended a quote, or while a name is held back.
  int resumeFlag = 0;
  // 1 from an opening corner bracket to the next closing one.
  int quoteOpen = 0;
  // 0: nothing pending; -2: a name is held back; otherwise the output
  // position of the ending byte of the last message that ended a quote.
  int32_t pendingEnd = 0;

  void Reset() { *this = MessageState{}; }
};

}  // namespace scene
