#include "scene/text_message.h"

#include <string>
#include <string_view>
#include <utility>

#include "base/sjis.h"
#include "scenario/source_opcodes.h"
#include "scene/scene_state.h"

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

namespace target = scenario::target;

bool StartsWith(std::string_view text, uint8_t second) {
  return text.size() >= 2 && static_cast<uint8_t>(text[0]) == kSpecialLead &&
         static_cast<uint8_t>(text[1]) == second;
}

// Emits the speaker's name ahead of a quote that resumes after an earlier
// quote or a held-back name. When the earlier quote's ending byte 1 is still
// the last byte written, it becomes 3 and only 2 1 follows.
void ResumeStep(scenario::Translator& t) {
  MessageState& m = t.scene->message;
  if (m.pendingEnd != MessageState::kNoPendingEnd && m.pendingEnd == t.out.Len() - 1) {
    t.out.RewriteByte(m.pendingEnd, target::kQuoteContinued.opcode);
  } else {
    t.out.OutOp(target::kText);
    t.out.OutStr(m.speakerName);
  }
  t.out.OutOp(target::kMessageContinue);
  t.out.OutOp(target::kMessageEnd);
  m.ClearPending();
}

void EmitContinued(scenario::Translator& t, std::string_view text) {
  t.out.OutOp(target::kText);
  t.out.OutStr(text);
  t.out.OutOp(target::kMessageContinue);
  t.out.OutOp(target::kMessageEnd);
}

// Step 1: the marks a message may begin with. A leading ● is dropped and
// ends any resume; a ▼ behind it (or alone) is dropped too.
std::string_view StripLeadingMarks(std::string_view text, MessageState& m) {
  if (StartsWith(text, kBlackCircle)) {
    text.remove_prefix(2);
    m.mayResume = false;
  }
  if (StartsWith(text, kDownTriangle)) text.remove_prefix(2);
  return text;
}

// The text as the target shows it, and what its units said about it.
struct RewrittenText {
  std::string text;
  // Nothing visible was written, or the text ends in two spaces.
  bool blank = true;
  // The last unit of the source text, dropped or not, was 】.
  bool endsWithName = false;
};

// Step 2: rewrites the text unit by unit (one single-byte character or one
// double-byte character) and keeps the message state up to date. A quote
// that opens while something is pending emits the resumed speaker first.
class TextRewriter {
 public:
  TextRewriter(scenario::Translator& t, size_t sourceSize) : t_(t), m_(t.scene->message) {
    r_.text.reserve(sourceSize + 16);
  }

  // Every unit begins here.
  void NextUnit() { r_.endsWithName = false; }

  // A single-byte character, or a double-byte one not led by kSpecialLead:
  // copied.
  void Ordinary(std::string_view unit) {
    Write(unit);
    Visible();
  }

  // A double-byte character led by kSpecialLead.
  void Special(std::string_view unit) {
    switch (static_cast<uint8_t>(unit[1])) {
      case kDownTriangle:
        break;
      case kOpenLenticular:
        Write(kOpenTortoiseShell);
        Visible();
        break;
      case kCloseLenticular:
        Write(kCloseTortoiseShell);
        m_.speakerName = r_.text;
        Visible();
        r_.endsWithName = true;
        break;
      case kOpenCorner:
        if (m_.mayResume && m_.Pending()) ResumeStep(t_);
        Write(unit);
        m_.quoteOpen = true;
        Visible();
        break;
      case kCloseCorner:
        Write(unit);
        m_.quoteOpen = false;
        m_.mayResume = true;
        r_.blank = false;
        break;
      case kIdeographicSpace:
        // A lone space leaves the message as blank or visible as it was;
        // two spaces in a row (▼ between them aside) make it blank again, so
        // a text that ends in two spaces is not shown.
        if (lastWritten_ != std::string::npos &&
            std::string_view(r_.text).substr(lastWritten_) == kSpaceUnit) {
          r_.blank = true;
        }
        Write(unit);
        m_.mayResume = false;
        break;
      case kRightArrow:
        Write(kArrowReplacement);
        Visible();
        break;
      default:
        Ordinary(unit);
        break;
    }
  }

  RewrittenText Take() { return std::move(r_); }

 private:
  void Write(std::string_view unit) {
    lastWritten_ = r_.text.size();
    r_.text.append(unit);
  }
  void Visible() {
    m_.mayResume = false;
    r_.blank = false;
  }

  scenario::Translator& t_;
  MessageState& m_;
  RewrittenText r_;
  // Where the unit last written begins (npos: none yet).
  size_t lastWritten_ = std::string::npos;
};

RewrittenText RewriteText(scenario::Translator& t, std::string_view text) {
  TextRewriter rewriter(t, text.size());
  for (size_t i = 0; i < text.size();) {
    const auto first = static_cast<uint8_t>(text[i]);
    rewriter.NextUnit();
    if (!base::IsLeadByte(first)) {
      rewriter.Ordinary(text.substr(i, 1));
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) break;  // a first byte without its second: dropped
    const std::string_view unit = text.substr(i, 2);
    i += 2;
    if (first == kSpecialLead) {
      rewriter.Special(unit);
    } else {
      rewriter.Ordinary(unit);
    }
  }
  return rewriter.Take();
}

// Step 3: emits the rewritten text with its ending, or holds a speaker name
// back until the quote that follows it.
void EmitMessage(scenario::Translator& t, const RewrittenText& r) {
  MessageState& m = t.scene->message;
  if (r.blank) return;

  if (r.endsWithName) {
    if (t.src.Peek() == scenario::op::kMessage) {  // 0 behind the end of the source
      EmitContinued(t, r.text);
    } else {
      m.HoldBackName();
      m.mayResume = true;
      m.speakerName = r.text;
    }
    return;
  }
  if (m.quoteOpen) {
    EmitContinued(t, r.text);
    return;
  }
  t.out.OutOp(target::kText);
  t.out.OutStr(r.text);
  if (m.mayResume) m.SetPendingEnd(t.out.Len());
  t.out.OutOp(target::kMessageEnd);
}

}  // namespace

void TranslateTextMessage(scenario::Translator& t) {
  const std::string_view text = StripLeadingMarks(t.src.ReadString(), t.scene->message);
  if (text.empty()) return;
  EmitMessage(t, RewriteText(t, text));
}

}  // namespace scene
