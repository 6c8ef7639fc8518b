#include "scenario/source_forms.h"

#include <algorithm>
#include <initializer_list>

#include "scenario/source.h"

namespace scenario::source {
namespace {

using K = OperandKind;

constexpr Form Row(uint8_t opcode, std::string_view mnemonic,
                   std::initializer_list<OperandKind> operands = {}) {
  Form f;
  f.opcode = opcode;
  f.mnemonic = mnemonic;
  for (OperandKind o : operands) f.operands[f.count++] = o;
  return f;
}

constexpr K W = K::kWord;

constexpr Form kForms[] = {
    Row(op::kJump, "jump", {K::kLabel}),
    Row(op::kScenarioByName, "scenario", {K::kString}),
    Row(op::kFixedScenario994, "fixed994", {W}),
    Row(op::kAddToVariable, "add", {K::kVariable, K::kValue}),
    Row(op::kSubtractFromVariable, "sub", {K::kVariable, K::kValue}),
    Row(op::kSetVariable, "set", {K::kVariable, K::kValue}),
    Row(op::kShowCharacters, "chars", {K::kSprites}),
    Row(op::kClearCharacters, "chars.clear"),
    Row(op::kBackground, "background", {K::kString}),
    Row(op::kBlackScreen, "black"),
    Row(op::kMusic, "music", {W}),
    Row(op::kMusicStop, "music.stop"),
    Row(op::kSoundEffect, "sound", {K::kString}),
    Row(op::kFixedScenario995, "fixed995", {W}),
    Row(op::kIgnoredString, "ignored", {K::kString}),
    Row(op::kBackgroundAlt, "background", {K::kString}),
    Row(op::kIgnoredWord, "ignored", {W}),
    Row(op::kIgnoredByteAndWord, "ignored", {K::kByte, W}),
    Row(op::kIgnoredTwoWords, "ignored", {W, W}),
    Row(op::kCalendarUpdate, "calendar"),
    Row(op::kSetDate, "date", {W, W}),
    Row(op::kFixedScenario996, "fixed996", {W, W, W, W, W, W, W}),
    Row(op::kDateWithText, "date.text", {K::kString}),
    Row(op::kDateNoText, "date.show"),
    Row(op::kJumpIfEqual, "if.eq", {K::kVariable, K::kValue, K::kLabel, K::kSecondLabel}),
    Row(op::kJumpIfNotEqual, "if.ne", {K::kVariable, K::kValue, K::kLabel, K::kSecondLabel}),
    Row(op::kJumpUnlessRelation70, "unless.r70", {K::kVariable, K::kValue, K::kLabel, K::kSecondLabel}),
    Row(op::kJumpUnlessRelation71, "unless.r71", {K::kVariable, K::kValue, K::kLabel, K::kSecondLabel}),
    Row(op::kJumpUnlessRelation68, "unless.r68", {K::kVariable, K::kValue, K::kLabel, K::kSecondLabel}),
    Row(op::kJumpUnlessRelation69, "unless.r69", {K::kVariable, K::kValue, K::kLabel, K::kSecondLabel}),
    Row(op::kMultiWayJump, "switch", {K::kVariable, K::kCases}),
    Row(op::kChoiceMenu, "choice", {K::kOptions}),
    Row(op::kMessage, "message", {K::kString}),
};
static_assert(std::size(kForms) == op::kKnownOpcodes.size(), "one form per known opcode");

constexpr std::array<int16_t, 256> kFormIndex = [] {
  std::array<int16_t, 256> index{};
  index.fill(-1);
  for (size_t i = 0; i < std::size(kForms); ++i) index[kForms[i].opcode] = static_cast<int16_t>(i);
  return index;
}();

void ReadOperands(const Form& form, Source& r, std::vector<Operand>& out) {
  const auto add = [&](OperandKind kind, uint32_t offset, uint32_t value, std::string_view text = {}) {
    out.push_back({kind, offset, value, text});
  };
  for (OperandKind kind : form.Operands()) {
    const uint32_t at = r.Pos();
    switch (kind) {
      case K::kByte:
        add(kind, at, r.ReadU8());
        break;
      case K::kWord:
      case K::kVariable:
      case K::kLabel:
        add(kind, at, r.ReadU16());
        break;
      case K::kValue:
        add(kind, at, r.ReadU24());
        break;
      case K::kString: {
        const std::string_view text = r.ReadString();
        add(kind, at, 0, text);
        break;
      }
      case K::kSprites: {
        const uint32_t count = r.ReadU8();
        add(K::kByte, at, count);
        for (uint32_t n = 0; n < count; ++n) add(K::kWord, r.Pos(), r.ReadU16());
        break;
      }
      case K::kSecondLabel:
        if (r.Peek() == op::kListEnd) {
          r.ReadU8();
          add(K::kLabel, at, r.Pos());
        } else {
          add(K::kLabel, at, r.ReadU16());
          add(K::kByte, r.Pos(), r.ReadU8());
        }
        break;
      case K::kCases:
        while (r.NextGroup()) {
          add(K::kLabel, r.Pos(), r.ReadU16());
          add(K::kValue, r.Pos(), r.ReadU24());
        }
        break;
      case K::kOptions:
        while (r.NextGroup()) {
          add(K::kLabel, r.Pos(), r.ReadU16());
          const uint32_t textAt = r.Pos();
          const std::string_view text = r.ReadString();
          add(K::kString, textAt, 0, text);
        }
        break;
    }
  }
}

}  // namespace

const Form* FormOf(uint8_t opcode) {
  const int16_t i = kFormIndex[opcode];
  return i < 0 ? nullptr : &kForms[i];
}

std::vector<Instruction> DecodeSource(std::span<const uint8_t> source) {
  std::vector<Instruction> all;
  Source r(source);
  while (!r.AtEnd()) {
    Instruction& in = all.emplace_back();
    in.offset = r.Pos();
    in.form = FormOf(r.ReadU8());
    if (in.form) ReadOperands(*in.form, r, in.operands);
    in.size = r.Pos() - in.offset;
  }
  return all;
}

}  // namespace scenario::source
