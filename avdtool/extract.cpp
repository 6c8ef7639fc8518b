#include "avdtool/extract.h"

#include <set>

#include "archive/archive_reader.h"
#include "archive/members.h"
#include "avdtool/png.h"
#include "base/printable.h"
#include "platform/names.h"
#include "platform/paths.h"

namespace avdtool {
namespace {

// A file name as a report line shows it.
std::string Shown(std::string_view name) { return base::Printable(name, base::TextEncoding::kAscii); }

bool IsUnsafeByte(char c) {
  const auto b = static_cast<uint8_t>(c);
  return c == '/' || c == '\\' || b < 0x20 || b == 0x7F ||
         platform::kNotInNames.find(c) != std::string_view::npos;
}

// Why a member's own name is not used as it is; empty when it is.
std::string_view WhyRenamed(std::string_view name) {
  if (name.empty()) return "it has no name";
  if (name.find("..") != std::string_view::npos || name.find('/') != std::string_view::npos ||
      name.find('\\') != std::string_view::npos || name == ".") {
    return "its name would reach outside the folder";
  }
  for (char c : name) {
    if (IsUnsafeByte(c)) return "its name holds control characters";
  }
  return "";
}

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

class Extractor {
 public:
  Extractor(std::span<const uint8_t> file, platform::OutputFolder& folder, std::string& report)
      : reader_(file), unpacker_(reader_), folder_(folder), report_(report) {}

  const archive::ArchiveReader& Reader() const { return reader_; }

  // Writes one member (and its PNG); false when any of it fails.
  bool Member(const archive::Entry& e, bool png) {
    std::string why;
    if (!unpacker_.Unpack(e, bytes_, why)) {
      report_ += archive::MemberLabel(e) + ": not written: " + why + "\n";
      return false;
    }
    // Judged by the name the file takes on this system: on Windows a
    // Shift-JIS character whose second byte is 0x5C is no separator there.
    const std::string own = platform::FileNameOfMember(e.name);
    const std::string safe = SafeFileName(own);
    const std::string fileName = Claim(safe);
    if (const std::string_view reason = WhyRenamed(own); !reason.empty()) {
      report_ += archive::MemberLabel(e) + ": written as " + Shown(fileName) + ", since " +
                 std::string(reason) + "\n";
    } else if (fileName != safe) {
      report_ += archive::MemberLabel(e) + ": written as " + Shown(fileName) +
                 ", since an earlier member of the same name took " + Shown(safe) + "\n";
    }
    bool ok = WriteFile(e, fileName, bytes_);
    if (ok) ++members_;
    if (png && archive::KindOf(e.name) == archive::MemberKind::kPicture) {
      if (archive::KindOf(e.name, bytes_) == archive::MemberKind::kPicture) {
        ok = Png(e, safe) && ok;
      } else {
        report_ +=
            archive::MemberLabel(e) + ": no PNG written: data, since it does not begin with \"PDT10\"\n";
      }
    }
    return ok;
  }

  std::string Summary() const {
    std::string s = std::to_string(members_) + (members_ == 1 ? " member" : " members") + " written";
    if (pngs_ > 0) s += ", " + std::to_string(pngs_) + (pngs_ == 1 ? " picture" : " pictures") + " as PNG";
    return s + "\n";
  }

 private:
  bool Png(const archive::Entry& e, const std::string& safe) {
    const std::optional<archive::Picture> picture = archive::ReadPicture(bytes_);
    if (!picture) {
      report_ += archive::MemberLabel(e) + ": no PNG written: not a well-formed PDT10 picture\n";
      return false;
    }
    std::string note, error;
    if (!PictureToPng(*picture, png_, note, error)) {
      report_ += archive::MemberLabel(e) + ": no PNG written: " + error + "\n";
      return false;
    }
    const std::string stem = safe.ends_with(".PDT") ? safe.substr(0, safe.size() - 4) : safe;
    const std::string fileName = Claim(stem + ".png");
    if (!note.empty()) report_ += archive::MemberLabel(e) + ": " + note + "\n";
    if (!WriteFile(e, fileName, png_)) return false;
    ++pngs_;
    return true;
  }

  // `name`, or the first of "name~2", "name~3", ... not taken in this run.
  std::string Claim(const std::string& name) {
    std::string candidate = name;
    for (size_t n = 2; taken_.count(candidate) != 0; ++n) candidate = name + "~" + std::to_string(n);
    taken_.insert(candidate);
    return candidate;
  }

  bool WriteFile(const archive::Entry& e, const std::string& name, const std::vector<uint8_t>& data) {
    std::string error;
    switch (folder_.Write(name, data, error)) {
      case platform::OutputFolder::Written::kWritten:
        return true;
      case platform::OutputFolder::Written::kExists:
        report_ += archive::MemberLabel(e) + ": not written: " + Shown(name) +
                   " is already in the folder; left as it is\n";
        return false;
      case platform::OutputFolder::Written::kFailed:
        break;
    }
    report_ += archive::MemberLabel(e) + ": cannot write " + Shown(name) + ": " + error + "\n";
    return false;
  }

  archive::ArchiveReader reader_;
  archive::MemberUnpacker unpacker_;
  platform::OutputFolder& folder_;
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

int Extract(std::span<const uint8_t> file, platform::OutputFolder& folder, const ExtractOptions& options,
            std::string& report) {
  Extractor extractor(file, folder, report);
  const archive::ArchiveReader& reader = extractor.Reader();
  if (!reader.Ok()) {
    report += "nothing written: " + std::string(archive::Describe(reader.Error())) + "\n";
    return 1;
  }
  bool ok = true;
  std::vector<bool> asked(options.names.size(), false);
  for (const archive::Entry& e : reader.Entries()) {
    bool wanted = options.names.empty();
    for (size_t i = 0; i < options.names.size(); ++i) {
      if (SameLetters(options.names[i], e.name)) wanted = asked[i] = true;
    }
    if (wanted) ok = extractor.Member(e, options.png) && ok;
  }
  for (size_t i = 0; i < options.names.size(); ++i) {
    if (!asked[i]) {
      report += "no member named " + Shown(options.names[i]) + "\n";
      ok = false;
    }
  }
  report += extractor.Summary();
  return ok ? 0 : 1;
}

}  // namespace avdtool
