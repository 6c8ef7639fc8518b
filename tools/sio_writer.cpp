#include "tools/sio_writer.h"

#include <iconv.h>

#include <stdexcept>

namespace tools {
namespace {

enum Opcode : uint8_t {
  kJump = 0x01,
  kGoToScenario = 0x04,
  kCall994 = 0x07,
  kAddVar = 0x09,
  kSubVar = 0x0A,
  kSetVar = 0x0B,
  kShowCharacters = 0x0D,
  kClearCharacters = 0x0E,
  kBackground = 0x0F,
  kBlackScreen = 0x10,
  kMusic = 0x11,
  kMusicStop = 0x12,
  kSoundEffect = 0x13,
  kCall995 = 0x14,
  kIgnored1A = 0x1A,
  kBackgroundAlt = 0x1B,
  kIgnored1C = 0x1C,
  kIgnored1D = 0x1D,
  kIgnored20 = 0x20,
  kCalendarUpdate = 0x22,
  kSetDate = 0x23,
  kCall996 = 0x27,
  kDateWithText = 0x28,
  kDateNoText = 0x29,
  kMultiJump = 0xD0,
  kChoice = 0xE0,
  kMessage = 0xF0,
};

// Ends the lists of 0xD0 and 0xE0, and stands for the second label of a
// conditional jump that goes on with the next instruction.
constexpr uint8_t kListEnd = 0xFF;
constexpr size_t kMaxLabel = 0xFFFF;

}  // namespace

std::string Sjis(std::string_view utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no UTF-8 to CP932 conversion");
  std::string in(utf8);
  std::string out(in.size() * 2 + 4, '\0');
  char* inPtr = in.data();
  size_t inLeft = in.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || inLeft != 0) {
    throw std::runtime_error("no Shift-JIS form for: " + std::string(utf8));
  }
  out.resize(out.size() - outLeft);
  return out;
}

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
  Op(kJump);
  LabelOperand(to, false);
}

void SioWriter::GoToScenario(std::string_view fileName) {
  Op(kGoToScenario);
  Str(fileName);
}

void SioWriter::Call994(uint16_t a) {
  Op(kCall994);
  Word(a);
}

void SioWriter::AddVar(uint16_t var, Value x) {
  Op(kAddVar);
  Word(var);
  Val(x);
}

void SioWriter::SubVar(uint16_t var, Value x) {
  Op(kSubVar);
  Word(var);
  Val(x);
}

void SioWriter::SetVar(uint16_t var, Value x) {
  Op(kSetVar);
  Word(var);
  Val(x);
}

void SioWriter::ShowCharacters(const std::vector<uint16_t>& sprites) {
  if (sprites.size() > 255) throw std::logic_error("more than 255 sprite positions");
  Op(kShowCharacters);
  bytes_.push_back(static_cast<uint8_t>(sprites.size()));
  for (uint16_t s : sprites) Word(s);
}

void SioWriter::ClearCharacters() { Op(kClearCharacters); }

void SioWriter::Background(std::string_view name) {
  Op(kBackground);
  Str(name);
}

void SioWriter::BlackScreen() { Op(kBlackScreen); }

void SioWriter::Music(uint16_t number) {
  Op(kMusic);
  Word(number);
}

void SioWriter::MusicStop() { Op(kMusicStop); }

void SioWriter::SoundEffect(std::string_view name) {
  Op(kSoundEffect);
  Str(name);
}

void SioWriter::Call995(uint16_t a) {
  Op(kCall995);
  Word(a);
}

void SioWriter::Ignored1A(std::string_view text) {
  Op(kIgnored1A);
  Str(text);
}

void SioWriter::BackgroundAlt(std::string_view name) {
  Op(kBackgroundAlt);
  Str(name);
}

void SioWriter::Ignored1C(uint16_t a) {
  Op(kIgnored1C);
  Word(a);
}

void SioWriter::Ignored1D(uint8_t a, uint16_t b) {
  Op(kIgnored1D);
  bytes_.push_back(a);
  Word(b);
}

void SioWriter::Ignored20(uint16_t a, uint16_t b) {
  Op(kIgnored20);
  Word(a);
  Word(b);
}

void SioWriter::CalendarUpdate() { Op(kCalendarUpdate); }

void SioWriter::SetDate(uint16_t month, uint16_t day) {
  Op(kSetDate);
  Word(month);
  Word(day);
}

void SioWriter::Call996(const std::array<uint16_t, 7>& words) {
  Op(kCall996);
  for (uint16_t w : words) Word(w);
}

void SioWriter::DateWithText(std::string_view text) {
  Op(kDateWithText);
  Str(text);
}

void SioWriter::DateNoText() { Op(kDateNoText); }

void SioWriter::JumpIf(Condition c, uint16_t var, Value x, const Label& then) {
  Op(static_cast<uint8_t>(c));
  Word(var);
  Val(x);
  LabelOperand(then, false);
  bytes_.push_back(kListEnd);
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
  Op(kMultiJump);
  Word(var);
  for (const auto& [label, x] : cases) {
    LabelOperand(label, true);
    Val(x);
  }
  bytes_.push_back(kListEnd);
}

void SioWriter::Choice(const std::vector<std::pair<Label, std::string>>& options) {
  Op(kChoice);
  for (const auto& [label, text] : options) {
    LabelOperand(label, true);
    Str(text);
  }
  bytes_.push_back(kListEnd);
}

void SioWriter::Message(std::string_view text) {
  Op(kMessage);
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
    if (use.inList && (target >> 8) == kListEnd) {
      throw std::logic_error("label would read as a list end: " + use.label.Name());
    }
    out[use.at] = static_cast<uint8_t>(target >> 8);
    out[use.at + 1] = static_cast<uint8_t>(target);
  }
  return out;
}

}  // namespace tools
