#include "inspect/verify.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <numeric>

#include "archive/archive_format.h"
#include "archive/archive_reader.h"
#include "base/diagnostics.h"
#include "inspect/members.h"

namespace inspect {
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
  Checker(std::span<const uint8_t> file, const base::Translations& texts)
      : file_(file), reader_(file), texts_(texts) {}

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
  const char* Tr(const char* english) const __attribute__((format_arg(2))) { return texts_.Tr(english); }
  std::string Label(const archive::Entry& e) const { return MemberLabel(e, texts_); }

  // False when the directory cannot be read at all.
  bool CheckHeader() {
    if (file_.size() < archive::kHeaderSize) {
      Problem(Format(Tr("header: the file is %s long, shorter than the %zu-byte header"),
                     ByteCount(file_.size(), texts_).c_str(), archive::kHeaderSize));
      return false;
    }
    const uint8_t* h = file_.data();
    if (std::memcmp(h + archive::kMagicOffset, kMagic.data(), kMagic.size()) != 0)
      Problem(Tr("header: the magic is not \"KELPIX\" and two zero bytes"));
    for (const FixedWord& w : kFixedWords) {
      const uint32_t value = base::GetU16(h + w.offset);
      if (value != w.value)
        Problem(Format(Tr("header: the word at offset %zu is %u, not %u"), w.offset, value, w.value));
    }
    if (std::memchr(h + archive::kTitleOffset, 0, archive::kTitleSize) == nullptr)
      Problem(Tr("header: the title is not zero-terminated within its 32 bytes"));

    result_.members = reader_.DeclaredCount();
    if (result_.members > archive::kMaxMembers) {
      Problem(Format(Tr("header: the member count %zu is above the %zu the format allows"), result_.members,
                     archive::kMaxMembers));
    }
    if (reader_.Error() == archive::ReadError::kDirectoryPastEnd) {
      Problem(Format(Tr("header: the directory of %zu members ends at byte %llu, beyond the end of the file "
                        "(%zu bytes)"),
                     result_.members, static_cast<ULL>(reader_.DataStart()), file_.size()));
      return false;
    }
    if (!reader_.Ok()) {
      Problem(Format(Tr("directory: %s"), std::string(archive::Describe(reader_.Error(), texts_)).c_str()));
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
        Problem(Format(Tr("%s: the name fills its 16 bytes without a terminating zero"), Label(e).c_str()));
      } else if (std::any_of(terminator, field.end(), [](uint8_t b) { return b != 0; })) {
        Problem(Format(Tr("%s: the name is not zero-padded behind its terminator"), Label(e).c_str()));
      }
      if (e.kind != archive::kEntryKind)
        Problem(Format(Tr("%s: the kind is %u, not %u"), Label(e).c_str(), e.kind, archive::kEntryKind));
      if (i == 0) continue;
      const archive::Entry& previous = entries[i - 1];
      const int order = std::memcmp(previous.nameField.data(), field.data(), field.size());
      if (order > 0) {
        Problem(Format(Tr("%s: out of order, after %s"), Label(e).c_str(), Label(previous).c_str()));
      } else if (order == 0 && previous.offset >= e.offset) {
        Problem(Format(Tr("%s: the same name as %s, but its data does not come after"), Label(e).c_str(),
                       Label(previous).c_str()));
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
    std::string endsThere = Tr("the directory");
    for (size_t i : byOffset) {
      const archive::Entry& e = entries[i];
      const uint64_t memberEnd = uint64_t{e.offset} + e.packed;
      if (e.offset > end) {
        Problem(Format(Tr("%s: starts at %u, leaving a gap of %s behind %s"), Label(e).c_str(), e.offset,
                       ByteCount(e.offset - end, texts_).c_str(), endsThere.c_str()));
      } else if (e.offset < end) {
        Problem(Format(Tr("%s: starts at %u, inside %s, which ends at %llu"), Label(e).c_str(), e.offset,
                       endsThere.c_str(), static_cast<ULL>(end)));
      }
      if (memberEnd > file_.size()) {
        Problem(Format(Tr("%s: ends at %llu, beyond the end of the file (%zu bytes)"), Label(e).c_str(),
                       static_cast<ULL>(memberEnd), file_.size()));
      }
      if (memberEnd >= end) {
        end = memberEnd;
        endsThere = Label(e);
      }
    }
    if (end < file_.size()) {
      const uint64_t rest = file_.size() - end;
      Problem(Format(rest == 1 ? Tr("data area: %llu byte behind the end of %s belongs to no member")
                               : Tr("data area: %llu bytes behind the end of %s belong to no member"),
                     static_cast<ULL>(rest), endsThere.c_str()));
    }
  }

  void CheckMembers() {
    std::vector<uint8_t> bytes;
    std::string why;
    MemberUnpacker unpacker(reader_, texts_);
    for (const archive::Entry& e : reader_.Entries()) {
      // A member beyond the end of the file is reported with the data area.
      if (uint64_t{e.offset} + e.packed > file_.size()) continue;
      if (!unpacker.Unpack(e, bytes, why)) {
        Problem(Format(Tr("%s: does not decompress to its %s: %s"), Label(e).c_str(),
                       ByteCount(e.unpacked, texts_).c_str(), why.c_str()));
        continue;
      }
      std::vector<std::string> problems;
      switch (KindOf(e.name, bytes)) {
        case MemberKind::kPicture:
          problems = PictureProblems(bytes, texts_);
          break;
        case MemberKind::kScenario:
          problems = ScenarioProblems(bytes, texts_);
          for (std::string& p : ScenarioCodeProblems(bytes, texts_)) problems.push_back(std::move(p));
          break;
        case MemberKind::kData:
          break;
      }
      for (const std::string& p : problems) Problem(Label(e) + ": " + p);
    }
  }

  std::span<const uint8_t> file_;
  archive::ArchiveReader reader_;
  const base::Translations& texts_;
  Verification result_;
};

}  // namespace

Verification Verify(std::span<const uint8_t> file, const base::Translations& texts) {
  return Checker(file, texts).Run();
}

std::string VerificationReport(const Verification& verification, const base::Translations& texts) {
  std::string report;
  for (const std::string& p : verification.problems) report += p + "\n";
  const size_t n = verification.problems.size();
  if (n == 0) {
    report += Format(
        verification.members == 1 ? texts.Tr("%zu member, all good\n") : texts.Tr("%zu members, all good\n"),
        verification.members);
  } else {
    report += Format(n == 1 ? texts.Tr("%zu problem\n") : texts.Tr("%zu problems\n"), n);
  }
  return report;
}

}  // namespace inspect
