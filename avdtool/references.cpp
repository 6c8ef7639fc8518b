#include "avdtool/references.h"

#include <algorithm>
#include <map>
#include <set>

#include "audit/members.h"
#include "base/diagnostics.h"
#include "base/printable.h"
#include "base/sjis.h"
#include "scenario/output.h"
#include "scenario/target_forms.h"

namespace avdtool {
namespace {

namespace target = scenario::target;

// The instructions that show pictures: 89, 1 hands string 1, the picture
// name, to a background or black screen; 11, 34 lays out sprites by name.
constexpr uint8_t kStringOpcode = 89;
constexpr int16_t kSetStringSub = 1;
constexpr int32_t kPictureString = 1;
constexpr uint8_t kScreenOpcode = 11;
constexpr int16_t kCharactersSub = 34;

using base::Format;

std::string Shown(std::string_view name) { return base::Printable(name, base::TextEncoding::kShiftJis); }

// The upper-cased names of every member: what a look-up finds.
std::set<std::string> MemberNames(const archive::ArchiveReader& reader) {
  std::set<std::string> names;
  for (const archive::Entry& e : reader.Entries()) {
    std::string name = e.name;
    base::UpperCaseName(name);
    names.insert(std::move(name));
  }
  return names;
}

// The bytes of every scenario member that can be decompressed, one after
// another.
template <typename Visit>
void ForEachScenario(const archive::ArchiveReader& reader, Visit visit) {
  audit::MemberUnpacker unpacker(reader);
  std::vector<uint8_t> bytes;
  std::string why;
  for (const archive::Entry& e : reader.Entries()) {
    if (audit::KindOf(e.name) != audit::MemberKind::kScenario) continue;
    if (!unpacker.Unpack(e, bytes, why)) continue;
    if (audit::KindOf(e.name, bytes) != audit::MemberKind::kScenario) continue;
    visit(e, bytes);
  }
}

}  // namespace

std::vector<ShownPicture> PicturesShown(std::span<const uint8_t> code) {
  std::vector<ShownPicture> shown;
  for (const target::Instruction& in : target::DecodeAll(code)) {
    if (!in.form) continue;
    const target::Form& f = *in.form;
    const auto use = [&](const target::Operand& o, scenario::PictureUse u) {
      shown.push_back({std::string(o.text), in.offset, o.offset, u});
    };
    if (f.opcode == kStringOpcode && f.sub == kSetStringSub) {
      // The number, then the string.
      if (in.operands.size() == 2 && in.operands[0].value == kPictureString)
        use(in.operands[1], scenario::PictureUse::kBackground);
    } else if (f.opcode == kScreenOpcode && f.sub == kCharactersSub) {
      for (const target::Operand& o : in.operands) {
        if (o.kind == target::OperandKind::kString) use(o, scenario::PictureUse::kSprite);
      }
    }
  }
  return shown;
}

std::vector<ShownPicture> PicturesShownByScenario(std::span<const uint8_t> member) {
  const std::optional<uint32_t> length = audit::CodeLength(member);
  if (!length) return {};
  const size_t header = scenario::Output::kHeaderSize;
  return PicturesShown(member.subspan(header, std::min<size_t>(*length, member.size() - header)));
}

ReferenceCheck CheckReferences(const archive::ArchiveReader& reader) {
  const std::set<std::string> members = MemberNames(reader);
  ReferenceCheck check;
  std::map<std::string, size_t> missingAt;  // member -> index in check.missing
  std::set<std::string> shown;
  ForEachScenario(reader, [&](const archive::Entry& e, std::span<const uint8_t> bytes) {
    for (const ShownPicture& p : PicturesShownByScenario(bytes)) {
      const std::string member = scenario::PictureMemberName(p.name);
      shown.insert(member);
      if (members.count(member)) continue;
      auto [it, added] = missingAt.try_emplace(member, check.missing.size());
      if (added) check.missing.push_back({member, {}});
      check.missing[it->second].places.push_back({e.name, p.instruction});
    }
  });
  check.shown = shown.size();
  return check;
}

std::string ReferenceReport(const ReferenceCheck& check, const base::Translations& texts) {
  std::string report;
  for (const MissingPicture& m : check.missing) {
    std::string places;
    const size_t listed = std::min(m.places.size(), kPlacesListed);
    for (size_t i = 0; i < listed; ++i) {
      if (i > 0) places += ", ";
      places += Format(texts.Tr("%s at 0x%06x"), Shown(m.places[i].scenario).c_str(), m.places[i].offset);
    }
    const size_t more = m.places.size() - listed;
    if (more == 1) {
      places = Format(texts.Tr("%s and 1 more place"), places.c_str());
    } else if (more > 1) {
      places = Format(texts.Tr("%s and %zu more places"), places.c_str(), more);
    }
    report += Format(texts.Tr("missing picture %s, shown by %s\n"), Shown(m.member).c_str(), places.c_str());
  }
  if (!check.missing.empty()) {
    report += Format(check.missing.size() == 1 ? texts.Tr("%zu of %zu pictures shown is missing\n")
                                               : texts.Tr("%zu of %zu pictures shown are missing\n"),
                     check.missing.size(), check.shown);
  }
  return report;
}

int ListReferences(const archive::ArchiveReader& reader, std::string_view name,
                   const base::Translations& texts, std::string& out) {
  std::string wanted(name);
  base::UpperCaseName(wanted);
  const std::set<std::string> members = MemberNames(reader);
  bool found = false;
  out.clear();
  ForEachScenario(reader, [&](const archive::Entry& e, std::span<const uint8_t> bytes) {
    std::string upper = e.name;
    base::UpperCaseName(upper);
    if (found || upper != wanted) return;
    found = true;
    for (const ShownPicture& p : PicturesShownByScenario(bytes)) {
      const std::string member = scenario::PictureMemberName(p.name);
      out += Format("%06x  %-10s  %s%s\n", p.instruction,
                    p.use == scenario::PictureUse::kSprite ? "sprite" : "background", Shown(member).c_str(),
                    members.count(member) ? "" : "  missing");
    }
  });
  if (!found) {
    out = Format(texts.Tr("no scenario member %s that can be read\n"), Shown(name).c_str());
    return 1;
  }
  return 0;
}

}  // namespace avdtool
