#include "audit/verify.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <numeric>

#include "archive/archive_format.h"
#include "archive/archive_reader.h"
#include "audit/members.h"
#include "base/diagnostics.h"
#include "base/printable.h"

namespace audit {
namespace {

using ULL = unsigned long long;

// The words of the header that never change, each checked against the
// header every archive is made with.
constexpr size_t kFixedWords[] = {archive::kFormatOffset, archive::kKindOffset,
                                  archive::kEntrySizeFieldOffset, archive::kNameSizeFieldOffset};

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
    } else {
      result_.directoryRead = false;
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
    CheckFixedBytes(file_.first(archive::kHeaderSize));
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

  // Every byte of the header but the member count against the header the
  // converter writes (archive::MakeHeader), one line per field that differs.
  void CheckFixedBytes(std::span<const uint8_t> h) {
    static constexpr archive::ArchiveHeader kExpected = archive::MakeHeader();
    const auto differs = [&](size_t offset, size_t size) {
      return !std::equal(h.begin() + offset, h.begin() + offset + size, kExpected.begin() + offset);
    };
    if (differs(archive::kMagicOffset, archive::kMagic.size()))
      Problem(Tr("header: the magic is not \"KELPIX\" and two zero bytes"));
    for (const size_t offset : kFixedWords) {
      const uint32_t value = base::GetU16(h.data() + offset);
      const uint32_t expected = base::GetU16(kExpected.data() + offset);
      if (value != expected)
        Problem(Format(Tr("header: the word at offset %zu is %u, not %u"), offset, value, expected));
    }
    for (size_t i = archive::kReservedOffset; i < archive::kTitleOffset; ++i) {
      if (h[i] != 0) {
        Problem(Format(Tr("header: byte %zu is %u, not 0 (bytes %zu to %zu are reserved)"), i, h[i],
                       archive::kReservedOffset, archive::kTitleOffset - 1));
        break;
      }
    }
    CheckTitle(h.subspan(archive::kTitleOffset, archive::kTitleSize));
  }

  void CheckTitle(std::span<const uint8_t> field) {
    const auto terminator = std::find(field.begin(), field.end(), 0);
    if (terminator == field.end()) {
      Problem(Tr("header: the title is not zero-terminated within its 32 bytes"));
      return;
    }
    const std::string_view title(reinterpret_cast<const char*>(field.data()),
                                 static_cast<size_t>(terminator - field.begin()));
    if (title != archive::kTitle) {
      Problem(Format(Tr("header: the title is \"%s\", not \"%s\""),
                     base::Printable(title, base::TextEncoding::kShiftJis).c_str(),
                     std::string(archive::kTitle).c_str()));
    }
    if (std::any_of(terminator, field.end(), [](uint8_t b) { return b != 0; }))
      Problem(Tr("header: the title is not zero-padded behind its terminator"));
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

}  // namespace audit
