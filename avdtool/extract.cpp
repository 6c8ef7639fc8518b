#include "avdtool/extract.h"

#include <set>

#include "archive/archive_reader.h"
#include "audit/members.h"
#include "avdtool/png.h"
#include "base/diagnostics.h"
#include "base/printable.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace avdtool {
namespace {

using base::Format;

// A file name as a report line shows it.
std::string Shown(std::string_view name) { return base::Printable(name, base::TextEncoding::kAscii); }

bool IsUnsafeByte(char c) {
  const auto b = static_cast<uint8_t>(c);
  return c == '/' || c == '\\' || b < 0x20 || b == 0x7F ||
         platform::kNotInNames.find(c) != std::string_view::npos;
}

// Why a member's own name is not used as it is, in the language of
// `texts`; null when it is.
const char* WhyRenamed(std::string_view name, const base::Translations& texts) {
  if (name.empty()) return texts.Tr("it has no name");
  if (name.find("..") != std::string_view::npos || name.find('/') != std::string_view::npos ||
      name.find('\\') != std::string_view::npos || name == ".") {
    return texts.Tr("its name would reach outside the folder");
  }
  for (char c : name) {
    if (IsUnsafeByte(c)) return texts.Tr("its name holds control characters");
  }
  return nullptr;
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Whether the name `asked` on the command line asks for the member `e`.
bool Asks(std::string_view asked, const archive::Entry& e) { return SameLetters(asked, e.name); }

std::string NoMemberLine(std::string_view asked, const base::Translations& texts) {
  return base::Format(texts.Tr("no member named %s\n"), Shown(asked).c_str());
}

class Extractor {
 public:
  Extractor(std::span<const uint8_t> file, platform::OutputFolder& folder, const base::Translations& texts,
            std::string& report)
      : reader_(file), unpacker_(reader_, texts), folder_(folder), texts_(texts), report_(report) {}

  const archive::ArchiveReader& Reader() const { return reader_; }

  // Writes one member (and its PNG); the status says how that went.
  Status Member(const archive::Entry& e, bool png) {
    std::string why;
    if (!unpacker_.Unpack(e, bytes_, why)) {
      report_ += Format(Tr("%s: not written: %s\n"), Label(e).c_str(), why.c_str());
      return Status::kProblems;
    }
    // Judged by the name the file takes on this system: on Windows a
    // Shift-JIS character whose second byte is 0x5C is no separator there.
    const std::string own = platform::FileNameOfMember(e.name);
    const std::string safe = SafeFileName(own);
    const std::string fileName = Claim(safe);
    if (const char* reason = WhyRenamed(own, texts_); reason != nullptr) {
      report_ +=
          Format(Tr("%s: written as %s, since %s\n"), Label(e).c_str(), Shown(fileName).c_str(), reason);
    } else if (fileName != safe) {
      report_ += Format(Tr("%s: written as %s, since an earlier member of the same name took %s\n"),
                        Label(e).c_str(), Shown(fileName).c_str(), Shown(safe).c_str());
    }
    Status status = WriteFile(e, fileName, bytes_);
    if (status == Status::kGood) ++members_;
    if (png && audit::KindOf(e.name) == audit::MemberKind::kPicture) {
      if (audit::KindOf(e.name, bytes_) == audit::MemberKind::kPicture) {
        status = Worse(status, Png(e, safe));
      } else {
        report_ += Format(Tr("%s: no PNG written: data, since it does not begin with \"PDT10\"\n"),
                          Label(e).c_str());
      }
    }
    return status;
  }

  std::string Summary() const {
    if (pngs_ == 0)
      return Format(members_ == 1 ? Tr("%zu member written\n") : Tr("%zu members written\n"), members_);
    return Format(members_ == 1 ? (pngs_ == 1 ? Tr("%zu member written, %zu picture as PNG\n")
                                              : Tr("%zu member written, %zu pictures as PNG\n"))
                                : (pngs_ == 1 ? Tr("%zu members written, %zu picture as PNG\n")
                                              : Tr("%zu members written, %zu pictures as PNG\n")),
                  members_, pngs_);
  }

 private:
  const char* Tr(const char* english) const __attribute__((format_arg(2))) { return texts_.Tr(english); }
  std::string Label(const archive::Entry& e) const { return audit::MemberLabel(e, texts_); }

  Status Png(const archive::Entry& e, const std::string& safe) {
    const std::optional<audit::Picture> picture = audit::ReadPicture(bytes_);
    if (!picture) {
      report_ += Format(Tr("%s: no PNG written: not a well-formed PDT10 picture\n"), Label(e).c_str());
      return Status::kProblems;
    }
    std::string note, error;
    if (!PictureToPng(*picture, png_, note, error, texts_)) {
      report_ += Format(Tr("%s: no PNG written: %s\n"), Label(e).c_str(), error.c_str());
      return Status::kProblems;
    }
    const std::string stem = safe.ends_with(".PDT") ? safe.substr(0, safe.size() - 4) : safe;
    const std::string fileName = Claim(stem + ".png");
    if (!note.empty()) report_ += Label(e) + ": " + note + "\n";
    const Status status = WriteFile(e, fileName, png_);
    if (status == Status::kGood) ++pngs_;
    return status;
  }

  // `name`, or the first of "name~2", "name~3", ... not taken in this run.
  std::string Claim(const std::string& name) {
    std::string candidate = name;
    for (size_t n = 2; taken_.count(candidate) != 0; ++n) candidate = name + "~" + std::to_string(n);
    taken_.insert(candidate);
    return candidate;
  }

  // A file that cannot be written, or is in the folder already, keeps the
  // command from its work.
  Status WriteFile(const archive::Entry& e, const std::string& name, const std::vector<uint8_t>& data) {
    std::string error;
    switch (folder_.Write(name, data, error)) {
      case platform::OutputFolder::Written::kWritten:
        return Status::kGood;
      case platform::OutputFolder::Written::kExists:
        report_ += Format(Tr("%s: not written: %s is already in the folder; left as it is\n"),
                          Label(e).c_str(), Shown(name).c_str());
        return Status::kCannotRun;
      case platform::OutputFolder::Written::kFailed:
        break;
    }
    report_ += Format(Tr("%s: cannot write %s: %s\n"), Label(e).c_str(), Shown(name).c_str(), error.c_str());
    return Status::kCannotRun;
  }

  archive::ArchiveReader reader_;
  audit::MemberUnpacker unpacker_;
  platform::OutputFolder& folder_;
  const base::Translations& texts_;
  std::string& report_;
  std::set<std::string> taken_;
  std::vector<uint8_t> bytes_, png_;
  size_t members_ = 0, pngs_ = 0;
};

}  // namespace

std::string SafeFileName(std::string_view name) {
  if (name.empty()) return "unnamed";
  std::string safe(name);
  for (size_t i = 0; i < safe.size(); ++i) {
    const bool dots =
        safe[i] == '.' && ((i > 0 && name[i - 1] == '.') || (i + 1 < name.size() && name[i + 1] == '.'));
    if (IsUnsafeByte(safe[i]) || dots) safe[i] = '_';
  }
  if (safe == ".") safe = "_";
  return safe;
}

bool NamesAnyMember(std::span<const uint8_t> file, const ExtractOptions& options,
                    const base::Translations& texts, std::string& report) {
  if (options.names.empty()) return true;
  const archive::ArchiveReader reader(file);
  for (const archive::Entry& e : reader.Entries()) {
    for (const std::string& asked : options.names) {
      if (Asks(asked, e)) return true;
    }
  }
  for (const std::string& asked : options.names) report += NoMemberLine(asked, texts);
  return false;
}

Status Extract(std::span<const uint8_t> file, platform::OutputFolder& folder, const ExtractOptions& options,
               const base::Translations& texts, std::string& report) {
  Extractor extractor(file, folder, texts, report);
  const archive::ArchiveReader& reader = extractor.Reader();
  if (!reader.Ok()) {
    report += base::Format(texts.Tr("nothing written: %s\n"),
                           std::string(archive::Describe(reader.Error(), texts)).c_str());
    return Status::kCannotRun;
  }
  Status status = Status::kGood;
  std::vector<bool> asked(options.names.size(), false);
  for (const archive::Entry& e : reader.Entries()) {
    bool wanted = options.names.empty();
    for (size_t i = 0; i < options.names.size(); ++i) {
      if (Asks(options.names[i], e)) wanted = asked[i] = true;
    }
    if (wanted) status = Worse(status, extractor.Member(e, options.png));
  }
  for (size_t i = 0; i < options.names.size(); ++i) {
    if (!asked[i]) {
      report += NoMemberLine(options.names[i], texts);
      status = Status::kCannotRun;
    }
  }
  report += extractor.Summary();
  return status;
}

}  // namespace avdtool
