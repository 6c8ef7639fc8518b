#include "avdtool/disasm.h"

#include <algorithm>
#include <set>

#include "archive/archive_reader.h"
#include "audit/members.h"
#include "avdtool/member_names.h"
#include "base/byte_order.h"
#include "base/diagnostics.h"
#include "base/printable.h"
#include "base/sjis.h"
#include "scenario/source.h"
#include "scenario/source_forms.h"
#include "scenario/target_forms.h"
#include "scenario/tpc_format.h"

namespace avdtool {
namespace {

using base::Format;

constexpr size_t kHexBytes = 6;

// The offset, the first bytes in hex and the mnemonic of a line.
std::string LineStart(uint32_t offset, std::span<const uint8_t> bytes, std::string_view mnemonic) {
  std::string hex;
  for (size_t i = 0; i < std::min(bytes.size(), kHexBytes); ++i)
    hex += Format(i ? " %02x" : "%02x", bytes[i]);
  if (bytes.size() > kHexBytes) hex += " ..";
  return Format("%06x  %-20s  %-12s ", offset, hex.c_str(), std::string(mnemonic).c_str());
}

void EndLine(std::string& line, std::string& out) {
  while (line.ends_with(' ')) line.pop_back();
  out += line;
  out += '\n';
}

// Starts the line of `in` (target or source): true with its offset, bytes
// and mnemonic in `line`; false when no form matched, its db line written.
template <typename Instruction>
bool StartLine(const Instruction& in, std::span<const uint8_t> bytes, std::string& line, std::string& out) {
  if (!in.form) {
    line = LineStart(in.offset, bytes, "db") + Format("0x%02x", bytes[0]);
    EndLine(line, out);
    return false;
  }
  line = LineStart(in.offset, bytes, in.form->mnemonic);
  return true;
}

std::string Quoted(std::string_view text) { return "\"" + ShownText(text) + "\""; }

// A jump operand: its target, and a note when the target starts no
// instruction.
std::string JumpText(uint32_t target, const std::set<uint32_t>& starts, uint32_t end) {
  std::string text = Format("-> 0x%06x", target);
  if (target > end) {
    text += " (beyond the end)";
  } else if (target < end && !starts.contains(target)) {
    text += " (not an instruction)";
  }
  return text;
}

void Labels(const std::set<uint32_t>& labels, uint32_t from, uint32_t to, std::string& out) {
  for (auto it = labels.lower_bound(from); it != labels.end() && *it < to; ++it)
    out += Format("%06x:\n", *it);
}

std::string HeaderLine(std::span<const uint8_t> member) {
  namespace tpc = scenario::tpc;
  const auto* magic = reinterpret_cast<const char*>(member.data() + tpc::kMagicOffset);
  std::string line = "; header: \"" + ShownText(std::string_view(magic, tpc::kMagic.size())) + "\"";
  for (const tpc::FixedField& f : tpc::kFixedFields)
    line += Format(", %zu: %u", f.offset, base::GetU32(member.data() + f.offset));
  line += Format(", code length %u\n", base::GetU32(member.data() + tpc::kCodeLengthOffset));
  return line;
}

}  // namespace

std::string ShownText(std::string_view sjis) {
  std::string out;
  out.reserve(sjis.size());
  while (!sjis.empty()) {
    size_t keep = base::PrintableLength(sjis, base::TextEncoding::kShiftJis);
    // The quotes around a text and the escapes' backslash are escaped too.
    if (keep == 0 || sjis[0] == '"' || sjis[0] == '\\') {
      out += Format("\\x%02X", static_cast<uint8_t>(sjis[0]));
      keep = 1;
    } else {
      out.append(sjis.substr(0, keep));
    }
    sjis.remove_prefix(keep);
  }
  return out;
}

std::string ListScenario(std::span<const uint8_t> member) {
  namespace target = scenario::target;
  constexpr size_t kHeader = scenario::tpc::kHeaderSize;
  std::string out;
  if (member.size() < kHeader) {
    out += Format("; %zu bytes, shorter than the %zu-byte header: nothing to list\n", member.size(), kHeader);
    return out;
  }
  out += HeaderLine(member);
  const uint32_t stated = base::GetU32(member.data() + scenario::tpc::kCodeLengthOffset);
  const size_t present = member.size() - kHeader;
  const std::span<const uint8_t> code = member.subspan(kHeader, std::min<size_t>(stated, present));
  if (stated != present) {
    out += Format("; %zu bytes of code follow the header; listing %zu\n", present, code.size());
  }

  const std::vector<target::Instruction> all = target::DecodeAll(code);
  std::set<uint32_t> starts, labels;
  for (const target::Instruction& in : all) {
    if (!in.form) continue;
    starts.insert(in.offset);
    for (const target::Operand& o : in.operands) {
      if (o.kind == target::OperandKind::kJump) labels.insert(static_cast<uint32_t>(o.value));
    }
  }
  const auto end = static_cast<uint32_t>(code.size());
  for (const target::Instruction& in : all) {
    if (starts.contains(in.offset)) Labels(labels, in.offset, in.offset + 1, out);
    const std::span<const uint8_t> bytes = code.subspan(in.offset, in.size);
    std::string line;
    if (!StartLine(in, bytes, line, out)) continue;
    bool first = true;
    for (const target::Operand& o : in.operands) {
      std::string text;
      switch (o.kind) {
        case target::OperandKind::kFixed:
        case target::OperandKind::kGroup:
          continue;
        case target::OperandKind::kByte:
        case target::OperandKind::kCount:
        case target::OperandKind::kNum:
        case target::OperandKind::kInt:
          text = std::to_string(o.value);
          break;
        case target::OperandKind::kFlaggedNum:
          text = "flagged " + std::to_string(o.value);
          break;
        case target::OperandKind::kJump:
          text = JumpText(static_cast<uint32_t>(o.value), starts, end);
          break;
        case target::OperandKind::kString:
          text = Quoted(o.text);
          break;
      }
      line += (first ? "" : ", ") + text;
      first = false;
    }
    EndLine(line, out);
  }
  Labels(labels, end, end + 1, out);
  return out;
}

std::string ListSource(std::span<const uint8_t> source) {
  namespace src = scenario::source;
  std::string out = Format("; source, %zu bytes\n", source.size());
  if (source.size() > scenario::Source::kCapacity) {
    out += Format("; only the first %zu bytes are translated and listed\n", scenario::Source::kCapacity);
    source = source.first(scenario::Source::kCapacity);
  }
  const std::vector<src::Instruction> all = src::DecodeSource(source);
  std::set<uint32_t> starts, labels;
  for (const src::Instruction& in : all) {
    starts.insert(in.offset);
    for (const src::Operand& o : in.operands) {
      if (o.kind == src::OperandKind::kLabel) labels.insert(o.value);
    }
  }
  const auto end = static_cast<uint32_t>(source.size());
  for (const src::Instruction& in : all) {
    Labels(labels, in.offset, in.offset + 1, out);
    const std::span<const uint8_t> bytes =
        source.subspan(in.offset, std::min<size_t>(in.size, source.size() - in.offset));
    std::string line;
    if (!StartLine(in, bytes, line, out)) continue;
    bool first = true;
    for (const src::Operand& o : in.operands) {
      std::string text;
      switch (o.kind) {
        case src::OperandKind::kByte:
        case src::OperandKind::kWord:
          text = std::to_string(o.value);
          break;
        case src::OperandKind::kVariable:
          text = "v" + std::to_string(o.value);
          break;
        case src::OperandKind::kValue:
          text = o.value >= 0x10000 ? "v" + std::to_string(o.value & 0xFFFF) : std::to_string(o.value);
          break;
        case src::OperandKind::kLabel:
          text = JumpText(o.value, starts, end);
          break;
        case src::OperandKind::kString:
          text = Quoted(o.text);
          break;
        default:
          continue;  // the group kinds decode into the ones above
      }
      line += (first ? "" : ", ") + text;
      first = false;
    }
    if (in.offset + in.size > end) line += "  ; runs past the end of the source";
    EndLine(line, out);
  }
  Labels(labels, end, end + 1, out);
  return out;
}

Status Disassemble(std::span<const uint8_t> file, const std::vector<std::string>& names,
                   const base::Translations& texts, std::string& out) {
  const archive::ArchiveReader reader(file);
  if (!reader.Ok()) {
    out += std::string(archive::Describe(reader.Error(), texts)) + "\n";
    return Status::kCannotRun;
  }
  const std::vector<MemberQuery> wanted = MemberQueries(names);
  std::vector<bool> found(wanted.size(), false);
  audit::MemberUnpacker unpacker(reader);
  std::vector<uint8_t> bytes;
  std::string why;
  Status status = Status::kGood;
  for (const archive::Entry& e : reader.Entries()) {
    if (audit::KindOf(e.name) != audit::MemberKind::kScenario) continue;
    bool listed = wanted.empty();
    for (size_t i = 0; i < wanted.size(); ++i) {
      if (wanted[i].Matches(e.name)) listed = found[i] = true;
    }
    if (!listed) continue;
    out += "; " + audit::MemberLabel(e) + ", " + audit::ByteCount(e.unpacked) + "\n";
    if (!unpacker.Unpack(e, bytes, why)) {
      out += "; cannot be read: " + why + "\n";
      status = Worse(status, Status::kProblems);
    } else if (audit::KindOf(e.name, bytes) != audit::MemberKind::kScenario) {
      // Named like a scenario, but its bytes are some other file's (the
      // interpreter's own, from DATA): nothing of it is code.
      out += Format("; %s: data, not a scenario (it does not begin with \"%s\"); nothing to list\n",
                    base::Printable(e.name, base::TextEncoding::kAscii).c_str(),
                    std::string(scenario::tpc::kMagic).c_str());
    } else {
      out += ListScenario(bytes);
    }
    out += "\n";
  }
  for (size_t i = 0; i < wanted.size(); ++i) {
    if (!found[i]) {
      out += base::Format(texts.Tr("no scenario member named %s\n"), wanted[i].Shown().c_str());
      status = Status::kCannotRun;
    }
  }
  return status;
}

}  // namespace avdtool
