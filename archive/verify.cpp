#include "archive/verify.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <numeric>

#include "archive/archive_format.h"
#include "archive/archive_reader.h"
#include "archive/members.h"
#include "base/diagnostics.h"

namespace archive {
namespace {

using ULL = unsigned long long;

constexpr std::string_view kMagic{"KELPIX\0\0", 8};

struct FixedWord {
  size_t offset;
  uint32_t value;
};
constexpr FixedWord kFixedWords[] = {{archive::kFormatOffset, 1613},
                                     {archive::kKindOffset, 2},
                                     {archive::kEntrySizeFieldOffset, 16},
                                     {archive::kNameSizeFieldOffset, 8}};

using base::Format;

class Checker {
 public:
  explicit Checker(std::span<const uint8_t> file) : file_(file), reader_(file) {}

  Verification Run() {
    if (CheckHeader()) {
      CheckDirectory();
      CheckDataArea();
      CheckMembers();
    }
    return std::move(result_);
  }

 private:
  void Problem(std::string line) { result_.problems.push_back(std::move(line)); }

  // False when the directory cannot be read at all.
  bool CheckHeader() {
    if (file_.size() < archive::kHeaderSize) {
      Problem("header: the file is " + ByteCount(file_.size()) +
              Format(" long, shorter than the %zu-byte header", archive::kHeaderSize));
      return false;
    }
    const uint8_t* h = file_.data();
    if (std::memcmp(h + archive::kMagicOffset, kMagic.data(), kMagic.size()) != 0)
      Problem("header: the magic is not \"KELPIX\" and two zero bytes");
    for (const FixedWord& w : kFixedWords) {
      const uint32_t value = base::GetU16(h + w.offset);
      if (value != w.value)
        Problem(Format("header: the word at offset %zu is %u, not %u", w.offset, value, w.value));
    }
    if (std::memchr(h + archive::kTitleOffset, 0, archive::kTitleSize) == nullptr)
      Problem("header: the title is not zero-terminated within its 32 bytes");

    result_.members = reader_.DeclaredCount();
    if (result_.members > archive::kMaxMembers) {
      Problem(Format("header: the member count %zu is above the %zu the format allows", result_.members,
                     archive::kMaxMembers));
    }
    if (reader_.Error() == archive::ReadError::kDirectoryPastEnd) {
      Problem(Format(
          "header: the directory of %zu members ends at byte %llu, beyond the end of the file (%zu bytes)",
          result_.members, static_cast<ULL>(reader_.DataStart()), file_.size()));
      return false;
    }
    if (!reader_.Ok()) {
      Problem("directory: " + std::string(archive::Describe(reader_.Error())));
      return false;
    }
    return true;
  }

  void CheckDirectory() {
    const std::vector<archive::Entry>& entries = reader_.Entries();
    for (size_t i = 0; i < entries.size(); ++i) {
      const archive::Entry& e = entries[i];
      const auto& field = e.nameField;
      const auto terminator = std::find(field.begin(), field.end(), 0);
      if (terminator == field.end()) {
        Problem(MemberLabel(e) + ": the name fills its 16 bytes without a terminating zero");
      } else if (std::any_of(terminator, field.end(), [](uint8_t b) { return b != 0; })) {
        Problem(MemberLabel(e) + ": the name is not zero-padded behind its terminator");
      }
      if (e.kind != archive::kEntryKind)
        Problem(MemberLabel(e) + Format(": the kind is %u, not %u", e.kind, archive::kEntryKind));
      if (i == 0) continue;
      const archive::Entry& previous = entries[i - 1];
      const int order = std::memcmp(previous.nameField.data(), field.data(), field.size());
      if (order > 0) {
        Problem(MemberLabel(e) + ": out of order, after " + MemberLabel(previous));
      } else if (order == 0 && previous.offset >= e.offset) {
        Problem(MemberLabel(e) + ": the same name as " + MemberLabel(previous) +
                ", but its data does not come after");
      }
    }
  }

  void CheckDataArea() {
    const std::vector<archive::Entry>& entries = reader_.Entries();
    std::vector<size_t> byOffset(entries.size());
    std::iota(byOffset.begin(), byOffset.end(), 0);
    std::stable_sort(byOffset.begin(), byOffset.end(),
                     [&](size_t a, size_t b) { return entries[a].offset < entries[b].offset; });

    // Where the next member must start, and what ends there.
    uint64_t end = reader_.DataStart();
    std::string endsThere = "the directory";
    for (size_t i : byOffset) {
      const archive::Entry& e = entries[i];
      const uint64_t memberEnd = uint64_t{e.offset} + e.packed;
      if (e.offset > end) {
        Problem(MemberLabel(e) + Format(": starts at %u, leaving a gap of ", e.offset) +
                ByteCount(e.offset - end) + " behind " + endsThere);
      } else if (e.offset < end) {
        Problem(MemberLabel(e) + Format(": starts at %u, inside ", e.offset) + endsThere +
                Format(", which ends at %llu", static_cast<ULL>(end)));
      }
      if (memberEnd > file_.size()) {
        Problem(MemberLabel(e) + Format(": ends at %llu, beyond the end of the file (%zu bytes)",
                                        static_cast<ULL>(memberEnd), file_.size()));
      }
      if (memberEnd >= end) {
        end = memberEnd;
        endsThere = MemberLabel(e);
      }
    }
    if (end < file_.size()) {
      const uint64_t rest = file_.size() - end;
      Problem(
          Format("data area: %llu byte%s behind the end of ", static_cast<ULL>(rest), rest == 1 ? "" : "s") +
          endsThere + (rest == 1 ? " belongs" : " belong") + " to no member");
    }
  }

  void CheckMembers() {
    std::vector<uint8_t> bytes;
    std::string why;
    MemberUnpacker unpacker(reader_);
    for (const archive::Entry& e : reader_.Entries()) {
      // A member beyond the end of the file is reported with the data area.
      if (uint64_t{e.offset} + e.packed > file_.size()) continue;
      if (!unpacker.Unpack(e, bytes, why)) {
        Problem(MemberLabel(e) + ": does not decompress to its " + ByteCount(e.unpacked) + ": " + why);
        continue;
      }
      std::vector<std::string> problems;
      switch (KindOf(e.name, bytes)) {
        case MemberKind::kPicture:
          problems = PictureProblems(bytes);
          break;
        case MemberKind::kScenario:
          problems = ScenarioProblems(bytes);
          for (std::string& p : ScenarioCodeProblems(bytes)) problems.push_back(std::move(p));
          break;
        case MemberKind::kData:
          break;
      }
      for (const std::string& p : problems) Problem(MemberLabel(e) + ": " + p);
    }
  }

  std::span<const uint8_t> file_;
  archive::ArchiveReader reader_;
  Verification result_;
};

}  // namespace

Verification Verify(std::span<const uint8_t> file) { return Checker(file).Run(); }

std::string VerificationReport(const Verification& verification) {
  std::string report;
  for (const std::string& p : verification.problems) report += p + "\n";
  const size_t n = verification.problems.size();
  if (n == 0) {
    report += Format("%zu member%s, all good\n", verification.members, verification.members == 1 ? "" : "s");
  } else {
    report += Format("%zu problem%s\n", n, n == 1 ? "" : "s");
  }
  return report;
}

}  // namespace archive
