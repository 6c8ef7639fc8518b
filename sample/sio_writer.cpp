#include "sample/sio_writer.h"

#include <stdexcept>

#include "scenario/source_opcodes.h"

namespace tools {
namespace {

namespace op = scenario::op;

constexpr size_t kMaxLabel = 0xFFFF;

}  // namespace

void SioWriter::Mark(const std::string& name) {
  if (!marks_.emplace(name, bytes_.size()).second) throw std::logic_error("label marked twice: " + name);
}

void SioWriter::Word(uint16_t v) {
  bytes_.push_back(static_cast<uint8_t>(v >> 8));
  bytes_.push_back(static_cast<uint8_t>(v));
}

void SioWriter::Val(Value x) {
  bytes_.push_back(static_cast<uint8_t>(x.raw >> 16));
  bytes_.push_back(static_cast<uint8_t>(x.raw >> 8));
  bytes_.push_back(static_cast<uint8_t>(x.raw));
}

void SioWriter::Str(std::string_view s) {
  if (s.find('\0') != std::string_view::npos) throw std::logic_error("string operand holds a zero byte");
  bytes_.insert(bytes_.end(), s.begin(), s.end());
  bytes_.push_back(0);
}

void SioWriter::LabelOperand(const Label& l, bool inList) {
  uses_.push_back({bytes_.size(), l, inList});
  Word(0);
}

void SioWriter::Jump(const Label& to) {
  Op(op::kJump);
  LabelOperand(to, false);
}

void SioWriter::GoToScenario(std::string_view fileName) {
  Op(op::kScenarioByName);
  Str(fileName);
}

void SioWriter::Call994(uint16_t a) {
  Op(op::kFixedScenario994);
  Word(a);
}

void SioWriter::AddVar(uint16_t var, Value x) {
  Op(op::kAddToVariable);
  Word(var);
  Val(x);
}

void SioWriter::SubVar(uint16_t var, Value x) {
  Op(op::kSubtractFromVariable);
  Word(var);
  Val(x);
}

void SioWriter::SetVar(uint16_t var, Value x) {
  Op(op::kSetVariable);
  Word(var);
  Val(x);
}

void SioWriter::ShowCharacters(const std::vector<uint16_t>& sprites) {
  if (sprites.size() > 255) throw std::logic_error("more than 255 sprite positions");
  Op(op::kShowCharacters);
  bytes_.push_back(static_cast<uint8_t>(sprites.size()));
  for (uint16_t s : sprites) Word(s);
}

void SioWriter::ClearCharacters() { Op(op::kClearCharacters); }

void SioWriter::Background(std::string_view name) {
  Op(op::kBackground);
  Str(name);
}

void SioWriter::BlackScreen() { Op(op::kBlackScreen); }

void SioWriter::Music(uint16_t number) {
  Op(op::kMusic);
  Word(number);
}

void SioWriter::MusicStop() { Op(op::kMusicStop); }

void SioWriter::SoundEffect(std::string_view name) {
  Op(op::kSoundEffect);
  Str(name);
}

void SioWriter::Call995(uint16_t a) {
  Op(op::kFixedScenario995);
  Word(a);
}

void SioWriter::Ignored1A(std::string_view text) {
  Op(op::kIgnoredString);
  Str(text);
}

void SioWriter::BackgroundAlt(std::string_view name) {
  Op(op::kBackgroundAlt);
  Str(name);
}

void SioWriter::Ignored1C(uint16_t a) {
  Op(op::kIgnoredWord);
  Word(a);
}

void SioWriter::Ignored1D(uint8_t a, uint16_t b) {
  Op(op::kIgnoredByteAndWord);
  bytes_.push_back(a);
  Word(b);
}

void SioWriter::Ignored20(uint16_t a, uint16_t b) {
  Op(op::kIgnoredTwoWords);
  Word(a);
  Word(b);
}

void SioWriter::CalendarUpdate() { Op(op::kCalendarUpdate); }

void SioWriter::SetDate(uint16_t month, uint16_t day) {
  Op(op::kSetDate);
  Word(month);
  Word(day);
}

void SioWriter::Call996(const std::array<uint16_t, 7>& words) {
  Op(op::kFixedScenario996);
  for (uint16_t w : words) Word(w);
}

void SioWriter::DateWithText(std::string_view text) {
  Op(op::kDateWithText);
  Str(text);
}

void SioWriter::DateNoText() { Op(op::kDateNoText); }

void SioWriter::JumpIf(Condition c, uint16_t var, Value x, const Label& then) {
  Op(static_cast<uint8_t>(c));
  Word(var);
  Val(x);
  LabelOperand(then, false);
  bytes_.push_back(op::kListEnd);
}

void SioWriter::JumpIf(Condition c, uint16_t var, Value x, const Label& then, const Label& otherwise,
                       uint8_t spare) {
  Op(static_cast<uint8_t>(c));
  Word(var);
  Val(x);
  LabelOperand(then, false);
  // The list byte is read first, so a second label must not begin with it.
  LabelOperand(otherwise, true);
  bytes_.push_back(spare);
}

void SioWriter::MultiJump(uint16_t var, const std::vector<std::pair<Label, Value>>& cases) {
  Op(op::kMultiWayJump);
  Word(var);
  for (const auto& [label, x] : cases) {
    LabelOperand(label, true);
    Val(x);
  }
  bytes_.push_back(op::kListEnd);
}

void SioWriter::Choice(const std::vector<std::pair<Label, std::string>>& options) {
  Op(op::kChoiceMenu);
  for (const auto& [label, text] : options) {
    LabelOperand(label, true);
    Str(text);
  }
  bytes_.push_back(op::kListEnd);
}

void SioWriter::Message(std::string_view text) {
  Op(op::kMessage);
  Str(text);
}

std::vector<uint8_t> SioWriter::Finish() const {
  std::vector<uint8_t> out = bytes_;
  for (const Use& use : uses_) {
    size_t target;
    if (use.label.Position() >= 0) {
      target = static_cast<size_t>(use.label.Position());
    } else {
      auto it = marks_.find(use.label.Name());
      if (it == marks_.end()) throw std::logic_error("label without a mark: " + use.label.Name());
      target = it->second;
    }
    if (target > kMaxLabel) throw std::logic_error("label beyond 65,535: " + use.label.Name());
    if (use.inList && (target >> 8) == op::kListEnd) {
      throw std::logic_error("label would read as a list end: " + use.label.Name());
    }
    out[use.at] = static_cast<uint8_t>(target >> 8);
    out[use.at + 1] = static_cast<uint8_t>(target);
  }
  return out;
}

}  // namespace tools
