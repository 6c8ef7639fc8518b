#include "avdtool/extract.h"

#include <algorithm>
#include <optional>
#include <set>

#include "archive/archive_reader.h"
#include "audit/members.h"
#include "avdtool/member_names.h"
#include "avdtool/png.h"
#include "base/diagnostics.h"
#include "base/printable.h"
#include "base/sjis.h"
#include "platform/names.h"

namespace avdtool {
namespace {

using base::Format;

// A name as a report line shows it: the Shift-JIS name in printable ASCII,
// as `list` shows it and the command line takes it back.
std::string Shown(std::string_view name) { return base::Printable(name, base::TextEncoding::kAscii); }

// The length of the character at `at` of the Shift-JIS `name`, by its
// bytes' places alone: two for a first byte followed by a second, one
// otherwise.
size_t CharacterLength(std::string_view name, size_t at) {
  const auto b = static_cast<uint8_t>(name[at]);
  if (base::IsLeadByte(b) && at + 1 < name.size() &&
      base::IsCp932TrailByte(static_cast<uint8_t>(name[at + 1])))
    return 2;
  return 1;
}

// What Windows reserves for devices, with or without an extension.
bool IsDeviceName(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  for (char& c : stem) c = static_cast<char>(base::AsciiUpper(c));
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
  return stem.size() == 4 && (stem.starts_with("COM") || stem.starts_with("LPT")) && stem[3] >= '1' &&
         stem[3] <= '9';
}

const char* Reason(Renamed why, const base::Translations& texts) {
  switch (why) {
    case Renamed::kNot:
      break;
    case Renamed::kNoName:
      return texts.Tr("it has no name");
    case Renamed::kOutside:
      return texts.Tr("its name would reach outside the folder");
    case Renamed::kNotShiftJis:
      return texts.Tr("its name is not well-formed Shift-JIS");
    case Renamed::kNotInNames:
      return texts.Tr("its name holds characters that Windows takes in no file name (<>:\"|?*)");
    case Renamed::kControl:
      return texts.Tr("its name holds control characters");
    case Renamed::kDevice:
      return texts.Tr("Windows reserves its name for a device");
    case Renamed::kEndsInDotOrSpace:
      return texts.Tr("its name ends in a dot or a space, which Windows drops");
  }
  return "";
}

// The line for a name on the command line that asks for no member.
std::string NoMemberLine(const MemberQuery& query, const base::Translations& texts) {
  return base::Format(texts.Tr("no member named %s\n"), query.Shown().c_str());
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
    SafeName safe = SafeFileName(e.name);
    if (!platform::FileNameOfMember(safe.name, utf8Names_)) {
      safe.name = NameOfCharacters(safe.name);
      if (safe.why == Renamed::kNot) safe.why = Renamed::kNotShiftJis;
    }
    const std::string name = Claim(safe.name);
    if (safe.why != Renamed::kNot) {
      report_ += Format(Tr("%s: written as %s, since %s\n"), Label(e).c_str(), Shown(name).c_str(),
                        Reason(safe.why, texts_));
    } else if (name != safe.name) {
      report_ += Format(Tr("%s: written as %s, since an earlier member of the same name took %s\n"),
                        Label(e).c_str(), Shown(name).c_str(), Shown(safe.name).c_str());
    }
    Status status = WriteFile(e, name, bytes_);
    if (status == Status::kGood) ++members_;
    if (png && audit::KindOf(e.name) == audit::MemberKind::kPicture) {
      if (audit::KindOf(e.name, bytes_) == audit::MemberKind::kPicture) {
        status = Worse(status, Png(e, safe.name));
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
    const std::string own = stem + ".png", fileName = Claim(own);
    if (fileName != own) {
      report_ += Format(Tr("%s: written as %s, since an earlier member of the same name took %s\n"),
                        Label(e).c_str(), Shown(fileName).c_str(), Shown(own).c_str());
    }
    if (!note.empty()) report_ += Label(e) + ": " + note + "\n";
    const Status status = WriteFile(e, fileName, png_);
    if (status == Status::kGood) ++pngs_;
    return status;
  }

  // The file name of the Shift-JIS `name` on this system (NameOfCharacters
  // has made it one that every system takes).
  std::string FileName(const std::string& name) const {
    if (std::optional<std::string> own = platform::FileNameOfMember(name, utf8Names_)) return *own;
    std::string shown = Shown(name);
    std::replace(shown.begin(), shown.end(), '\\', '_');
    return shown;
  }

  // `name`, or the first of "name~2", "name~3", ... that no file of this run
  // has taken, letter case aside as Windows compares names: by the
  // characters of the name (full-width and Greek letters too), and by the
  // bytes of the file's name where they are no UTF-8 (ASCII letters alone).
  std::string Claim(const std::string& name) {
    for (size_t n = 1;; ++n) {
      const std::string candidate = n == 1 ? name : name + "~" + std::to_string(n);
      std::vector<std::string> keys = {Key(FileName(candidate))};
      if (std::optional<std::string> characters = platform::Utf8OfSjis(candidate))
        keys.push_back(Key(*characters));
      if (std::none_of(keys.begin(), keys.end(),
                       [&](const std::string& k) { return taken_.count(k) != 0; })) {
        taken_.insert(keys.begin(), keys.end());
        return candidate;
      }
    }
  }

  static std::string Key(const std::string& fileName) {
    if (platform::IsUtf8(fileName)) return platform::UpperCaseUtf8(fileName);
    std::string bytes = fileName;
    base::UpperCaseName(bytes);
    return "\x01" + bytes;  // apart from every UTF-8 key
  }

  // A file that cannot be written, or is in the folder already, keeps the
  // command from its work.
  Status WriteFile(const archive::Entry& e, const std::string& name, const std::vector<uint8_t>& data) {
    std::string error;
    switch (folder_.Write(FileName(name), data, error)) {
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
  const bool utf8Names_ = platform::FileNamesAreUtf8();
  std::set<std::string> taken_;  // Key of every file name taken
  std::vector<uint8_t> bytes_, png_;
  size_t members_ = 0, pngs_ = 0;
};

}  // namespace

SafeName SafeFileName(std::string_view name) {
  if (name.empty()) return {"unnamed", Renamed::kNoName};
  SafeName safe{std::string(name), Renamed::kNot};
  const auto note = [&](Renamed why) {
    if (safe.why == Renamed::kNot) safe.why = why;
  };
  // Character by character: only a byte that stands alone can be one of
  // these ASCII characters.
  bool outside = name == "." || name == "..", notInNames = false, control = false;
  for (size_t i = 0, n; i < name.size(); i += n) {
    n = CharacterLength(name, i);
    if (n != 1) continue;
    const char c = name[i];
    const auto b = static_cast<uint8_t>(c);
    const bool dots =
        c == '.' && ((i > 0 && name[i - 1] == '.') || (i + 1 < name.size() && name[i + 1] == '.'));
    if (c == '/' || c == '\\' || dots) {
      outside = true;
    } else if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos) {
      notInNames = true;
    } else if (b < 0x20 || b == 0x7F) {
      control = true;
    } else {
      continue;
    }
    safe.name[i] = '_';
  }
  if (safe.name == ".") safe.name = "_";
  if (outside) note(Renamed::kOutside);
  if (notInNames) note(Renamed::kNotInNames);
  if (control) note(Renamed::kControl);
  if (IsDeviceName(safe.name)) {
    note(Renamed::kDevice);
    safe.name.insert(0, "_");
  }
  // No trailing byte of a double-byte character is a dot or a space.
  for (size_t end = safe.name.size(); end > 0 && (safe.name[end - 1] == '.' || safe.name[end - 1] == ' ');
       --end) {
    note(Renamed::kEndsInDotOrSpace);
    safe.name[end - 1] = '_';
  }
  return safe;
}

std::string NameOfCharacters(std::string_view name) {
  std::string characters;
  for (size_t i = 0, n; i < name.size(); i += n) {
    n = CharacterLength(name, i);
    const std::string_view one = name.substr(i, n);
    if (static_cast<uint8_t>(one[0]) < 0x80 || platform::Utf8OfSjis(one)) {
      characters += one;
    } else {
      characters.append(n, '_');
    }
  }
  return characters;
}

bool NamesAnyMember(std::span<const uint8_t> file, const ExtractOptions& options,
                    const base::Translations& texts, std::string& report) {
  if (options.names.empty()) return true;
  const archive::ArchiveReader reader(file);
  const std::vector<MemberQuery> queries = MemberQueries(options.names);
  for (const archive::Entry& e : reader.Entries()) {
    for (const MemberQuery& query : queries) {
      if (query.Matches(e.name)) return true;
    }
  }
  for (const MemberQuery& query : queries) report += NoMemberLine(query, texts);
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
  const std::vector<MemberQuery> queries = MemberQueries(options.names);
  std::vector<bool> asked(queries.size(), false);
  for (const archive::Entry& e : reader.Entries()) {
    bool wanted = queries.empty();
    for (size_t i = 0; i < queries.size(); ++i) {
      if (queries[i].Matches(e.name)) wanted = asked[i] = true;
    }
    if (wanted) status = Worse(status, extractor.Member(e, options.png));
  }
  for (size_t i = 0; i < queries.size(); ++i) {
    if (!asked[i]) {
      report += NoMemberLine(queries[i], texts);
      status = Status::kCannotRun;
    }
  }
  report += extractor.Summary();
  return status;
}

}  // namespace avdtool
