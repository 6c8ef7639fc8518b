#include "avdtool/listing.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <numeric>
#include <vector>

#include "archive/archive_reader.h"
#include "audit/members.h"
#include "base/printable.h"

namespace avdtool {
namespace {

using ULL = unsigned long long;

std::string Ratio(uint64_t packed, uint64_t unpacked) {
  if (unpacked == 0) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f%%",
                100.0 * static_cast<double>(packed) / static_cast<double>(unpacked));
  return text;
}

// The member's kind (by its name alone when it cannot be read) and the
// details column; `ok` turns false when the column tells of a problem. Only
// the first bytes that the column shows are decompressed (none of a member
// whose name says it is data): a member is decompressed whole by verify,
// never here, so a member that claims a gigabyte costs the table nothing.
std::string Details(const archive::Entry& e, audit::MemberUnpacker& unpacker, std::vector<uint8_t>& first,
                    audit::MemberKind& kind, bool& ok) {
  std::string why;
  kind = audit::KindOf(e.name);
  ok = false;
  if (!unpacker.UnpackPrefix(e, audit::HeaderBytes(kind), first, why)) return "cannot be read: " + why;
  kind = audit::KindOf(e.name, first);
  char text[96];
  switch (kind) {
    case audit::MemberKind::kPicture:
      if (std::optional<audit::Picture> p = audit::PictureHeader(first, e.unpacked)) {
        std::snprintf(text, sizeof text, "%u x %u%s", p->width, p->height, p->hasAlpha ? ", alpha" : "");
        ok = true;
        return text;
      }
      return "not a well-formed PDT10 picture";
    case audit::MemberKind::kScenario:
      if (std::optional<uint32_t> code = audit::CodeLength(first)) {
        std::snprintf(text, sizeof text, "code %u bytes", *code);
        ok = true;
        return text;
      }
      return "shorter than the TPC32 header";
    case audit::MemberKind::kData:
      break;
  }
  ok = true;
  return "";
}

}  // namespace

Status List(std::span<const uint8_t> file, SortOrder order, const base::Translations& texts,
            std::string& out) {
  const archive::ArchiveReader reader(file);
  if (!reader.Ok()) {
    out = std::string(archive::Describe(reader.Error(), texts)) + "\n";
    return Status::kCannotRun;
  }
  const std::vector<archive::Entry>& entries = reader.Entries();
  std::vector<size_t> rows(entries.size());
  std::iota(rows.begin(), rows.end(), 0);
  switch (order) {
    case SortOrder::kName:
      std::stable_sort(rows.begin(), rows.end(), [&](size_t a, size_t b) {
        return std::memcmp(entries[a].nameField.data(), entries[b].nameField.data(), archive::kNameSize) < 0;
      });
      break;
    case SortOrder::kOffset:
      std::stable_sort(rows.begin(), rows.end(),
                       [&](size_t a, size_t b) { return entries[a].offset < entries[b].offset; });
      break;
    case SortOrder::kSize:
      std::stable_sort(rows.begin(), rows.end(),
                       [&](size_t a, size_t b) { return entries[a].unpacked > entries[b].unpacked; });
      break;
  }

  size_t nameWidth = 4;
  for (const archive::Entry& e : entries)
    nameWidth = std::max(nameWidth, base::Printable(e.name, base::TextEncoding::kAscii).size());
  const int w = static_cast<int>(nameWidth);
  char line[160];
  std::snprintf(line, sizeof line, "%-*s  %-8s  %10s  %10s  %6s  %10s  %s\n", w, "name", "kind", "packed",
                "unpacked", "ratio", "offset", "details");
  out = line;

  audit::MemberUnpacker unpacker(reader);
  std::vector<uint8_t> bytes;
  uint64_t packed = 0, unpacked = 0;
  Status status = Status::kGood;
  for (size_t i : rows) {
    const archive::Entry& e = entries[i];
    audit::MemberKind kind;
    bool ok = true;
    const std::string details = Details(e, unpacker, bytes, kind, ok);
    if (!ok) status = Status::kProblems;
    std::snprintf(line, sizeof line, "  %-8s  %10u  %10u  %6s  %10u  ", audit::KindName(kind).data(),
                  e.packed, e.unpacked, Ratio(e.packed, e.unpacked).c_str(), e.offset);
    std::string name = base::Printable(e.name, base::TextEncoding::kAscii);
    name.resize(nameWidth, ' ');
    out += name + line + details;
    while (out.ends_with(' ')) out.pop_back();
    out += '\n';
    packed += e.packed;
    unpacked += e.unpacked;
  }
  std::snprintf(line, sizeof line, "  %-8s  %10llu  %10llu  %6s\n", "total", static_cast<ULL>(packed),
                static_cast<ULL>(unpacked), Ratio(packed, unpacked).c_str());
  std::string members = std::to_string(entries.size()) + (entries.size() == 1 ? " member" : " members");
  members.resize(std::max(nameWidth, members.size()), ' ');
  out += members + line;
  return status;
}

}  // namespace avdtool
