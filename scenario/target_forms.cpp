#include "scenario/target_forms.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "base/byte_order.h"
#include "base/diagnostics.h"

namespace scenario::target {
namespace {

using K = OperandKind;

constexpr OperandRule N{K::kNum};
constexpr OperandRule FN{K::kFlaggedNum};
constexpr OperandRule S{K::kString};
constexpr OperandRule J{K::kJump};
constexpr OperandRule C{K::kCount};
constexpr OperandRule Fixed(uint8_t b) { return {K::kFixed, b}; }
constexpr OperandRule Group(uint8_t n) { return {K::kGroup, n}; }

constexpr Form Row(Code code, std::string_view mnemonic, std::initializer_list<OperandRule> operands = {}) {
  Form f;
  f.opcode = code.opcode;
  f.sub = code.sub;
  f.mnemonic = mnemonic;
  for (const OperandRule& o : operands) f.operands[f.count++] = o;
  return f;
}

// A conditional jump with `relation` (see kIf).
constexpr Form If(uint8_t relation, std::string_view mnemonic) {
  return Row(kIf, mnemonic, {Fixed(kIfOpen), Fixed(relation), N, N, Fixed(kIfClose), J});
}

// A mnemonic names the role the translator gives a form where it has one,
// and is "op" with the opcode and sub-code otherwise.
constexpr Form kForms[] = {
    Row(kOptionEnd, "op0"),
    Row(kMessageEnd, "msg.1"),
    Row(kMessageContinue, "msg.2"),
    Row(kQuoteContinued, "msg.3"),
    Row(kOp11Sub5, "op11.5", {Fixed(kOp11Byte), N, N}),
    Row(kOp11Sub5, "op11.5", {S, N}),
    // Per character its name and six numbers, the last but one its
    // horizontal position.
    Row(kCharacters, "chars",
        {C, Fixed(kOp11Byte), N, N, Group(8), Fixed(kCharacterEntry), S, N, N, N, N, N, N}),
    Row(kOp11Sub48, "op11.48"),
    Row(kMusic, "music", {S}),
    Row(kMusicStop, "music.stop", {N}),
    Row(kSoundEffect, "sound", {S}),
    If(kRelationEqual, "if.eq"),
    If(kRelationNotEqual, "if.ne"),
    If(kRelation68, "if.r68"),
    If(kRelation69, "if.r69"),
    If(kRelation70, "if.r70"),
    If(kRelation71, "if.r71"),
    If(VariableForm(kRelationEqual), "if.eq.v"),
    If(VariableForm(kRelationNotEqual), "if.ne.v"),
    If(VariableForm(kRelation68), "if.r68.v"),
    If(VariableForm(kRelation69), "if.r69.v"),
    If(VariableForm(kRelation70), "if.r70.v"),
    If(VariableForm(kRelation71), "if.r71.v"),
    Row(kScenario1, "scenario.1", {N}),
    Row(kScenario2, "scenario.2", {N}),
    Row(kGoto, "jump", {J}),
    Row(kOp34Sub0, "op34.0"),
    Row(kChoiceJumps, "choice.jumps", {C, N, Group(1), J}),
    Row(kSet, "set", {N, N}),
    Row(kAdd, "add", {N, N}),
    Row(kSubtract, "sub", {N, N}),
    Row(kOp64, "op64", {N, FN}),
    Row(VariableForm(kSet), "set.v", {N, N}),
    Row(VariableForm(kAdd), "add.v", {N, N}),
    Row(VariableForm(kSubtract), "sub.v", {N, N}),
    Row(kChoice, "choice", {N}),
    Row(kOp89Sub1, "op89.1", {N, S}),
    Row(kOp89Sub4, "op89.4", {N, N}),
    Row(kOp89Sub6, "op89.6", {N, N, N}),
    Row(kOp89Sub7, "op89.7", {N}),
    Row(kOp91Sub1, "op91.1", {N, N, N, N, N, N, N, N, N, N, N, N, N, Fixed(kOperandsEnd)}),
    Row(kOp96Sub4, "op96.4", {Fixed(kOp96Byte1), Fixed(kOp96Byte2), N, Fixed(kOperandsEnd)}),
    Row(kOp104Sub1, "op104.1", {N, N, N, N}),
    Row(kOp115Sub29, "op115.29", {N}),
    Row(kText, "text", {S}),
};

constexpr bool Sorted() {
  for (size_t i = 1; i < std::size(kForms); ++i) {
    if (kForms[i - 1].opcode > kForms[i].opcode) return false;
  }
  return true;
}
static_assert(Sorted(), "the forms stand in ascending order of opcode");

// The first row of every opcode (the row count when none has it).
constexpr std::array<uint8_t, 257> kFirstRow = [] {
  std::array<uint8_t, 257> first{};
  size_t row = 0;
  for (size_t op = 0; op <= 256; ++op) {
    while (row < std::size(kForms) && kForms[row].opcode < op) ++row;
    first[op] = static_cast<uint8_t>(row);
  }
  return first;
}();

// Reads one form's operands from `pos`; every read is checked against the
// end of the code.
class FormReader {
 public:
  FormReader(std::span<const uint8_t> code, size_t pos, std::vector<Operand>& out)
      : code_(code), pos_(pos), out_(out) {}

  DecodeError Read(std::span<const OperandRule> rules) {
    uint32_t count = 0;
    for (size_t i = 0; i < rules.size(); ++i) {
      const OperandRule& rule = rules[i];
      if (rule.kind == K::kGroup) {
        const std::span<const OperandRule> group =
            rules.subspan(i + 1, std::min<size_t>(rule.value, rules.size() - i - 1));
        for (uint32_t n = 0; n < count; ++n) {
          if (DecodeError e = Read(group); e != DecodeError::kNone) return e;
        }
        i += group.size();
        continue;
      }
      if (DecodeError e = One(rule, count); e != DecodeError::kNone) return e;
    }
    return DecodeError::kNone;
  }

  size_t Pos() const { return pos_; }

 private:
  DecodeError One(const OperandRule& rule, uint32_t& count) {
    if (pos_ >= code_.size())
      return rule.kind == K::kString ? DecodeError::kUnterminatedString : DecodeError::kPastEnd;
    Operand o;
    o.kind = rule.kind;
    o.offset = static_cast<uint32_t>(pos_);
    const uint8_t first = code_[pos_];
    switch (rule.kind) {
      case K::kByte:
      case K::kCount:
      case K::kFixed:
        if (rule.kind == K::kFixed && first != rule.value) return DecodeError::kMismatch;
        o.size = 1;
        o.value = first;
        if (rule.kind == K::kCount) count = first;
        break;
      case K::kNum:
      case K::kFlaggedNum: {
        const uint32_t nibble = first >> 4;
        const uint32_t length = rule.kind == K::kNum ? nibble : nibble - 8;
        if (length < 1 || length > 5) return DecodeError::kMismatch;
        if (code_.size() - pos_ < length) return DecodeError::kPastEnd;
        uint32_t rest = 0;
        for (uint32_t k = 1; k < length; ++k) rest |= uint32_t{code_[pos_ + k]} << (8 * (k - 1));
        o.size = length;
        o.value = static_cast<int32_t>((rest << 4) | (first & 0x0F));
        break;
      }
      case K::kInt:
      case K::kJump:
        if (code_.size() - pos_ < 4) return DecodeError::kPastEnd;
        o.size = 4;
        o.value = static_cast<int32_t>(base::GetU32(code_.data() + pos_));
        break;
      case K::kString: {
        const auto* begin = reinterpret_cast<const char*>(code_.data() + pos_);
        const void* zero = std::memchr(begin, 0, code_.size() - pos_);
        if (!zero) return DecodeError::kUnterminatedString;
        o.text = std::string_view(begin, static_cast<size_t>(static_cast<const char*>(zero) - begin));
        o.size = static_cast<uint32_t>(o.text.size() + 1);
        break;
      }
      case K::kGroup:
        return DecodeError::kMismatch;  // handled by Read
    }
    pos_ += o.size;
    out_.push_back(o);
    return DecodeError::kNone;
  }

  std::span<const uint8_t> code_;
  size_t pos_;
  std::vector<Operand>& out_;
};

}  // namespace

std::span<const Form> Forms() { return kForms; }

std::string_view Describe(DecodeError error, const base::Translations& texts) {
  switch (error) {
    case DecodeError::kNone:
      return texts.Tr("no error");
    case DecodeError::kUnknownOpcode:
      return texts.Tr("no form has this opcode and sub-code");
    case DecodeError::kMismatch:
      return texts.Tr("the operands fit no form of this opcode");
    case DecodeError::kPastEnd:
      return texts.Tr("the instruction runs past the end of the code");
    case DecodeError::kUnterminatedString:
      return texts.Tr("a string has no zero before the end of the code");
  }
  return "?";
}

bool DecodeAt(std::span<const uint8_t> code, size_t offset, Instruction& out) {
  out.offset = static_cast<uint32_t>(offset);
  out.size = 1;
  out.form = nullptr;
  out.operands.clear();
  out.error = DecodeError::kPastEnd;
  if (offset >= code.size()) return false;
  const uint8_t opcode = code[offset];
  // The failure that got furthest is the one worth telling.
  size_t furthest = 0;
  out.error = DecodeError::kUnknownOpcode;
  for (size_t row = kFirstRow[opcode]; row < kFirstRow[opcode + 1u]; ++row) {
    const Form& form = kForms[row];
    size_t pos = offset + 1;
    if (form.sub != kNoSub) {
      if (pos >= code.size()) {
        if (pos + 1 > furthest) {
          furthest = pos + 1;
          out.error = DecodeError::kPastEnd;
        }
        continue;
      }
      if (code[pos] != static_cast<uint8_t>(form.sub)) continue;
      ++pos;
    }
    out.operands.clear();
    FormReader reader(code, pos, out.operands);
    const DecodeError error = reader.Read(form.Operands());
    if (error == DecodeError::kNone) {
      out.form = &form;
      out.size = static_cast<uint32_t>(reader.Pos() - offset);
      out.error = DecodeError::kNone;
      return true;
    }
    if (reader.Pos() + 1 > furthest) {
      furthest = reader.Pos() + 1;
      out.error = error;
    }
  }
  out.operands.clear();
  return false;
}

std::vector<Instruction> DecodeAll(std::span<const uint8_t> code) {
  std::vector<Instruction> all;
  size_t pos = 0;
  while (pos < code.size()) {
    Instruction& in = all.emplace_back();
    DecodeAt(code, pos, in);
    pos += in.size;
  }
  return all;
}

std::vector<CodeProblem> CheckCode(std::span<const uint8_t> code, const base::Translations& texts) {
  std::vector<CodeProblem> problems;
  const std::vector<Instruction> all = DecodeAll(code);
  // An instruction that runs past the end takes the rest of the code with
  // it: the code is cut off there, and nothing behind is an instruction.
  size_t cut = all.size();
  for (size_t i = 0; i < all.size(); ++i) {
    const DecodeError e = all[i].error;
    if (e == DecodeError::kPastEnd || e == DecodeError::kUnterminatedString) {
      cut = i;
      break;
    }
  }
  const size_t end = cut < all.size() ? all[cut].offset : code.size();
  std::vector<bool> starts(code.size() + 1, false);
  starts[code.size()] = true;
  for (size_t i = 0; i < cut; ++i) {
    if (all[i].form) starts[all[i].offset] = true;
  }

  for (size_t i = 0; i < cut; ++i) {
    const Instruction& in = all[i];
    if (!in.form) {
      size_t run = 1;
      while (i + run < cut && !all[i + run].form) ++run;
      problems.push_back(
          {in.offset, base::Format(run == 1 ? texts.Tr("%zu byte from here starts no instruction: "
                                                       "at the first, opcode %u, %s")
                                            : texts.Tr("%zu bytes from here start no instruction: "
                                                       "at the first, opcode %u, %s"),
                                   run, code[in.offset], std::string(Describe(in.error, texts)).c_str())});
      i += run - 1;
      continue;
    }
    for (const Operand& o : in.operands) {
      if (o.kind != K::kJump) continue;
      const auto target = static_cast<uint32_t>(o.value);
      if (target > code.size()) {
        problems.push_back(
            {o.offset, base::Format(texts.Tr("jump to 0x%06x, beyond the end of the code (0x%06zx)"), target,
                                    code.size())});
      } else if (!starts[target]) {
        problems.push_back(
            {o.offset,
             base::Format(texts.Tr("jump to 0x%06x, which is not the start of an instruction"), target)});
      }
    }
  }
  if (cut < all.size()) {
    const size_t rest = code.size() - end;
    problems.push_back(
        {all[cut].offset, base::Format(rest == 1 ? texts.Tr("the last %zu byte is cut-off code: %s")
                                                 : texts.Tr("the last %zu bytes are cut-off code: %s"),
                                       rest, std::string(Describe(all[cut].error, texts)).c_str())});
  }
  return problems;
}

}  // namespace scenario::target
