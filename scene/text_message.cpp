#include "scene/text_message.h"

#include <string>
#include <string_view>

#include "archive/upper_case_name.h"

namespace scene {
namespace {

// Shift-JIS characters the message text treats specially (first byte 0x81).
constexpr uint8_t kSpecialLead = 0x81;
constexpr uint8_t kBlackCircle = 0x9C;       // ●
constexpr uint8_t kDownTriangle = 0xA5;      // ▼
constexpr uint8_t kOpenLenticular = 0x79;    // 【
constexpr uint8_t kCloseLenticular = 0x7A;   // 】
constexpr uint8_t kOpenCorner = 0x75;        // 「
constexpr uint8_t kCloseCorner = 0x76;       // 」
constexpr uint8_t kIdeographicSpace = 0x40;  // 　
constexpr uint8_t kRightArrow = 0xA8;        // →
// → is shown as ＊０１.
constexpr std::string_view kArrowReplacement = "\x81\x96\x82\x4F\x82\x50";
constexpr std::string_view kSpaceUnit = "\x81\x40";
// Speaker names are shown in tortoise-shell brackets 〔〕.
constexpr std::string_view kOpenTortoiseShell = "\x81\x6B";
constexpr std::string_view kCloseTortoiseShell = "\x81\x6C";

// Target message bytes.
constexpr uint8_t kStringMarker = 255;
constexpr uint8_t kEndMessage = 1;
constexpr uint8_t kContinue = 2;
constexpr uint8_t kEndQuoteContinued = 3;
// The source opcode of a message.
constexpr uint8_t kMessageOpcode = 0xF0;
// PendingEnd while a speaker name is held back.
constexpr int32_t kNameHeldBack = -2;

bool StartsWith(std::string_view text, uint8_t second) {
  return text.size() >= 2 && static_cast<uint8_t>(text[0]) == kSpecialLead &&
         static_cast<uint8_t>(text[1]) == second;
}

// Emits the speaker's name ahead of a quote that resumes after an earlier
// quote or a held-back name. When the earlier quote's ending byte 1 is still
// the last byte written, it becomes 3 and only 2 1 follows.
void ResumeStep(scenario::Translator& t) {
  MessageState& m = t.message;
  if (m.pendingEnd == t.out.Len() - 1) {
    t.out.RewriteByte(m.pendingEnd, kEndQuoteContinued);
  } else {
    t.out.OutByte(kStringMarker);
    t.out.OutStr(m.speakerName);
  }
  t.out.OutByte(kContinue);
  t.out.OutByte(kEndMessage);
  m.pendingEnd = 0;
}

void EmitContinued(scenario::Translator& t, std::string_view text) {
  t.out.OutByte(kStringMarker);
  t.out.OutStr(text);
  t.out.OutByte(kContinue);
  t.out.OutByte(kEndMessage);
}

}  // namespace

void TranslateTextMessage(scenario::Translator& t) {
  MessageState& m = t.message;
  std::string_view text = t.src.ReadString();

  if (StartsWith(text, kBlackCircle)) {
    text.remove_prefix(2);
    m.resumeFlag = 0;
  }
  if (StartsWith(text, kDownTriangle)) text.remove_prefix(2);
  if (text.empty()) return;

  std::string rewritten;
  rewritten.reserve(text.size() + 16);
  bool blank = true;
  // Where the unit last written to `rewritten` begins (npos: none yet).
  size_t lastWritten = std::string::npos;
  // Whether the last unit of the source text, dropped or not, was 】.
  bool endsWithName = false;

  auto write = [&](std::string_view unit) {
    lastWritten = rewritten.size();
    rewritten.append(unit);
  };

  for (size_t i = 0; i < text.size();) {
    auto first = static_cast<uint8_t>(text[i]);
    endsWithName = false;
    if (!archive::IsLeadByte(first)) {
      // A single-byte character is copied like any ordinary character.
      write(text.substr(i, 1));
      m.resumeFlag = 0;
      blank = false;
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) break;  // a first byte without its second: dropped
    std::string_view unit = text.substr(i, 2);
    i += 2;
    auto second = static_cast<uint8_t>(unit[1]);
    if (first != kSpecialLead) {
      write(unit);
      m.resumeFlag = 0;
      blank = false;
      continue;
    }
    switch (second) {
      case kDownTriangle:
        break;
      case kOpenLenticular:
        write(kOpenTortoiseShell);
        m.resumeFlag = 0;
        blank = false;
        break;
      case kCloseLenticular:
        write(kCloseTortoiseShell);
        m.speakerName = rewritten;
        m.resumeFlag = 0;
        blank = false;
        endsWithName = true;
        break;
      case kOpenCorner:
        if (m.resumeFlag == 1 && m.pendingEnd != 0) ResumeStep(t);
        write(unit);
        m.quoteOpen = 1;
        m.resumeFlag = 0;
        blank = false;
        break;
      case kCloseCorner:
        write(unit);
        m.quoteOpen = 0;
        m.resumeFlag = 1;
        blank = false;
        break;
      case kIdeographicSpace:
        // A lone space leaves the message as blank or visible as it was;
        // two spaces in a row (▼ between them aside) make it blank again, so
        // a text that ends in two spaces is not shown.
        if (lastWritten != std::string::npos &&
            std::string_view(rewritten).substr(lastWritten) == kSpaceUnit) {
          blank = true;
        }
        write(unit);
        m.resumeFlag = 0;
        break;
      case kRightArrow:
        write(kArrowReplacement);
        m.resumeFlag = 0;
        blank = false;
        break;
      default:
        write(unit);
        m.resumeFlag = 0;
        blank = false;
        break;
    }
  }

  if (blank) return;

  if (endsWithName) {
    if (t.src.Peek() == kMessageOpcode) {  // 0 behind the end of the source
      EmitContinued(t, rewritten);
    } else {
      m.pendingEnd = kNameHeldBack;
      m.resumeFlag = 1;
      m.speakerName = rewritten;
    }
    return;
  }
  if (m.quoteOpen == 1) {
    EmitContinued(t, rewritten);
    return;
  }
  t.out.OutByte(kStringMarker);
  t.out.OutStr(rewritten);
  if (m.resumeFlag == 1) m.pendingEnd = t.out.Len();
  t.out.OutByte(kEndMessage);
}

}  // namespace scene
