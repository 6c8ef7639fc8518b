// avdtool: looks into an archive the converter wrote.
//   avdtool list ARCHIVE [--sort name|offset|size]
//   avdtool list ARCHIVE --references SCENARIO
//   avdtool verify ARCHIVE
//   avdtool extract ARCHIVE [-d DIR] [--png] [NAME...]
//   avdtool contact-sheet ARCHIVE OUT.png [--columns N] [--force]
//   avdtool disasm ARCHIVE [NAME...]
//   avdtool disasm --source FILE.SIO
//   avdtool --help
// Every command ends with one of the statuses of avdtool/exit_status.h. Its
// lines come in the user's language (platform::UserLanguage), but for the
// tables of list and disasm.
#include <cerrno>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/archive_reader.h"
#include "audit/verify.h"
#include "avdtool/archive_file.h"
#include "avdtool/contact_sheet.h"
#include "avdtool/disasm.h"
#include "avdtool/exit_status.h"
#include "avdtool/extract.h"
#include "avdtool/listing.h"
#include "avdtool/references.h"
#include "avdtool/usage.h"
#include "base/diagnostics.h"
#include "platform/arguments.h"
#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/language.h"
#include "platform/output_folder.h"
#include "platform/paths.h"

namespace {

using avdtool::Status;
constexpr Status kGood = Status::kGood;
constexpr Status kProblems = Status::kProblems;
constexpr Status kCannotRun = Status::kCannotRun;
constexpr Status kPicturesMissing = Status::kPicturesMissing;

// What every command works with: the console (Shift-JIS lines, shown in the
// terminal's codeset) and the language of the lines.
struct Tool {
  platform::Console& console;
  const base::Translations& texts;

  const char* Tr(const char* english) const __attribute__((format_arg(2))) { return texts.Tr(english); }
  void Print(const std::string& sjis) const { console.Print(sjis); }
};

// The line of the translated `text` with `path` (as the system names it:
// UTF-8 on Windows too, the arguments coming from the wide command line) in
// place of its first "%s" and `rest` in place of its second.
platform::PathLine LineWithPath(const char* text, const std::string& path, const std::string& rest = "") {
  platform::PathLine line = platform::WithPath(text, path);
  if (const size_t at = line.after.find("%s"); at != std::string::npos) line.after.replace(at, 2, rest);
  return line;
}

Status UsageError(const Tool& tool, platform::PathLine line) {
  line.before = "avdtool: " + line.before;
  line.after += tool.Tr(" (avdtool --help shows the commands)\n");
  tool.console.Error(line);
  return kCannotRun;
}
Status UsageError(const Tool& tool, std::string text) {
  return UsageError(tool, platform::PathLine{std::move(text), "", ""});
}

struct CommandLine {
  std::vector<std::string> positional;
  std::string sort = "name";
  bool png = false;
  bool source = false;
  bool force = false;
  std::optional<std::string> directory;
  std::string columns;
  std::optional<std::string> references;
};

// Splits the arguments after the command into options and the rest; false
// with a message for an option the command does not take or one without its
// value. An argument that begins with "-" is an option ("-" alone is not);
// after "--" none is. The one short option, "-d", is "--directory": its
// value is the next argument or follows at once ("-dDIR"), as unzip takes
// it; "-d=DIR" is refused rather than read as a folder named "=DIR".
bool Parse(const Tool& tool, const std::vector<std::string>& args, std::string_view allowed,
           CommandLine& line, platform::PathLine& error) {
  bool optionsEnd = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
      line.positional.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    const bool shortForm = !arg.starts_with("--");
    // Where an attached value starts, if there is one.
    const size_t equals = shortForm ? (arg.size() > 2 ? 2 : std::string_view::npos) : arg.find('=');
    std::string name(arg.substr(0, equals));
    if (name.size() < 2 || (" " + std::string(allowed) + " ").find(" " + name + " ") == std::string::npos) {
      error = LineWithPath(tool.Tr("unknown option %s for %s"), std::string(arg), args[0]);
      return false;
    }
    if (name == "-d") {
      if (arg.size() > 2 && arg[2] == '=') {
        error = LineWithPath(tool.Tr("-d takes its folder without \"=\": -d %s"), std::string(arg.substr(3)));
        return false;
      }
      name = "--directory";
    }
    const auto value = [&](std::string& into) {
      if (equals != std::string_view::npos) {
        into = arg.substr(shortForm ? equals : equals + 1);
      } else if (i + 1 < args.size()) {
        into = args[++i];
      } else {
        error = LineWithPath(tool.Tr("option %s needs a value"), name);
        return false;
      }
      return true;
    };
    if (name == "--sort") {
      if (!value(line.sort)) return false;
    } else if (name == "--columns") {
      if (!value(line.columns)) return false;
    } else if (name == "--references") {
      if (!value(line.references.emplace())) return false;
    } else if (name == "--directory") {
      if (!value(line.directory.emplace())) return false;
    } else if (equals != std::string_view::npos) {
      error = LineWithPath(tool.Tr("option %s takes no value"), name);
      return false;
    } else if (name == "--source") {
      line.source = true;
    } else if (name == "--force") {
      line.force = true;
    } else {
      line.png = true;
    }
  }
  return true;
}

bool Load(const Tool& tool, const std::string& path, std::vector<uint8_t>& bytes) {
  std::string error;
  if (avdtool::ReadArchiveFile(path, bytes, tool.texts, error)) return true;
  tool.console.Error(LineWithPath(tool.Tr("avdtool: cannot read %s: %s\n"), path, error));
  return false;
}

// "avdtool: ARCHIVE: reason" for an archive whose directory cannot be read.
void ArchiveError(const Tool& tool, const std::string& path, const std::string& reason) {
  tool.console.Error(platform::PathLine{"avdtool: ", path, ": " + reason});
}

// list --references: the pictures one scenario shows.
Status ListReferences(const Tool& tool, const CommandLine& line) {
  std::vector<uint8_t> bytes;
  if (!Load(tool, line.positional[0], bytes)) return kCannotRun;
  const archive::ArchiveReader reader(bytes);
  if (!reader.Ok()) {
    ArchiveError(tool, line.positional[0], std::string(archive::Describe(reader.Error(), tool.texts)) + "\n");
    return kCannotRun;
  }
  std::string out;
  if (avdtool::ListReferences(reader, *line.references, tool.texts, out) != 0) {
    ArchiveError(tool, line.positional[0], out);
    return kCannotRun;
  }
  tool.Print(out);
  return kGood;
}

Status List(const Tool& tool, const CommandLine& line) {
  if (line.positional.size() != 1) return UsageError(tool, tool.Tr("list takes one archive"));
  if (line.references) return ListReferences(tool, line);
  avdtool::SortOrder order;
  if (line.sort == "name") {
    order = avdtool::SortOrder::kName;
  } else if (line.sort == "offset") {
    order = avdtool::SortOrder::kOffset;
  } else if (line.sort == "size") {
    order = avdtool::SortOrder::kSize;
  } else {
    return UsageError(tool, tool.Tr("--sort takes name, offset or size"));
  }
  std::vector<uint8_t> bytes;
  if (!Load(tool, line.positional[0], bytes)) return kCannotRun;
  std::string out;
  const Status status = avdtool::List(bytes, order, tool.texts, out);
  if (status == kCannotRun) {
    ArchiveError(tool, line.positional[0], out);
  } else {
    tool.Print(out);
  }
  return status;
}

Status Verify(const Tool& tool, const CommandLine& line) {
  if (line.positional.size() != 1) return UsageError(tool, tool.Tr("verify takes one archive"));
  std::vector<uint8_t> bytes;
  if (!Load(tool, line.positional[0], bytes)) return kCannotRun;
  const audit::Verification v = audit::Verify(bytes, tool.texts);
  tool.Print(audit::VerificationReport(v, tool.texts));
  if (!v.directoryRead) return kCannotRun;
  // The pictures are checked wherever the directory can be read; format
  // problems decide the status before missing pictures do.
  const archive::ArchiveReader reader(bytes);
  if (!reader.Ok()) return kProblems;
  const avdtool::ReferenceCheck references = avdtool::CheckReferences(reader);
  tool.Print(avdtool::ReferenceReport(references, tool.texts));
  if (!v.problems.empty()) return kProblems;
  return references.missing.empty() ? kGood : kPicturesMissing;
}

Status Extract(const Tool& tool, const CommandLine& line) {
  if (line.positional.empty()) return UsageError(tool, tool.Tr("extract takes an archive"));
  if (line.directory && line.directory->empty())
    return UsageError(tool, LineWithPath(tool.Tr("option %s needs a value"), "-d"));
  std::vector<uint8_t> bytes;
  if (!Load(tool, line.positional[0], bytes)) return kCannotRun;
  // An archive whose directory cannot be read creates no folder.
  if (const archive::ArchiveReader reader(bytes); !reader.Ok()) {
    ArchiveError(tool, line.positional[0], std::string(archive::Describe(reader.Error(), tool.texts)));
    return kCannotRun;
  }
  // Every argument after the archive is a member name; the folder comes
  // with -d alone.
  avdtool::ExtractOptions options;
  options.png = line.png;
  options.names.assign(line.positional.begin() + 1, line.positional.end());
  std::string report;
  // Names that ask for nothing create no folder either.
  if (!avdtool::NamesAnyMember(bytes, options, tool.texts, report)) {
    tool.Print(report);
    return kCannotRun;
  }
  std::string error;
  const std::unique_ptr<platform::OutputFolder> folder =
      platform::OutputFolder::Open(line.directory.value_or("."), tool.texts, error);
  if (!folder) {
    tool.console.Error("avdtool: " + error + "\n");
    return kCannotRun;
  }
  const Status status = avdtool::Extract(bytes, *folder, options, tool.texts, report);
  tool.Print(report);
  return status;
}

Status ContactSheet(const Tool& tool, const CommandLine& line) {
  if (line.positional.size() != 2)
    return UsageError(tool, tool.Tr("contact-sheet takes an archive and the PNG to write"));
  uint32_t columns = 0;
  if (!line.columns.empty()) {
    char* end = nullptr;
    errno = 0;
    const unsigned long n = std::strtoul(line.columns.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || line.columns[0] == '-' || n < 1 || n > avdtool::kMostColumns) {
      return UsageError(
          tool, base::Format(tool.Tr("--columns takes a number from 1 to %u"), avdtool::kMostColumns));
    }
    columns = static_cast<uint32_t>(n);
  }
  std::vector<uint8_t> bytes;
  if (!Load(tool, line.positional[0], bytes)) return kCannotRun;
  // Never over what it reads: the archive under any name (a link, another
  // spelling) stays as it is.
  if (platform::SameFile(line.positional[0], line.positional[1])) {
    tool.console.Error(
        LineWithPath(tool.Tr("avdtool: %s is the archive itself; no contact sheet is written over it\n"),
                     line.positional[1]));
    return kCannotRun;
  }
  // Nor, even when told, in place of a device: the sheet would take its name.
  if (platform::SpecialFileAt(line.positional[1])) {
    tool.console.Error(LineWithPath(
        tool.Tr("avdtool: %s is a device, a FIFO or a socket; no contact sheet is written in its place\n"),
        line.positional[1]));
    return kCannotRun;
  }
  // As extract, never over a file already there, unless told: judged before
  // the sheet is drawn, and again, in one step with the move, after.
  const std::string& out = line.positional[1];
  const auto alreadyThere = [&] {
    tool.console.Error(
        LineWithPath(tool.Tr("avdtool: %s is already there; left as it is (--force writes over it)\n"), out));
    return kCannotRun;
  };
  if (!line.force && platform::AnythingAt(out)) return alreadyThere();
  std::vector<uint8_t> png;
  std::string notes;
  const Status status = avdtool::MakeContactSheet(bytes, columns, tool.texts, png, notes);
  tool.Print(notes);
  if (png.empty()) return kCannotRun;
  // The line names the user's own path, not the temporary one written
  // first.
  std::string reason;
  switch (avdtool::WriteOutputFile(
      out, png, line.force ? avdtool::Earlier::kReplace : avdtool::Earlier::kKeep, tool.texts, reason)) {
    case avdtool::Written::kWritten:
      break;
    case avdtool::Written::kExists:
      return alreadyThere();
    case avdtool::Written::kFailed:
      tool.console.Error(LineWithPath(tool.Tr("avdtool: cannot write %s: %s\n"), out, reason));
      return kCannotRun;
  }
  return status;
}

Status Disasm(const Tool& tool, const CommandLine& line) {
  if (line.source) {
    if (line.positional.size() != 1)
      return UsageError(tool, tool.Tr("disasm --source takes one source scenario"));
    std::vector<uint8_t> bytes;
    if (!Load(tool, line.positional[0], bytes)) return kCannotRun;
    tool.Print(avdtool::ListSource(bytes));
    return kGood;
  }
  if (line.positional.empty()) return UsageError(tool, tool.Tr("disasm takes an archive"));
  std::vector<uint8_t> bytes;
  if (!Load(tool, line.positional[0], bytes)) return kCannotRun;
  std::string out;
  const std::vector<std::string> names(line.positional.begin() + 1, line.positional.end());
  const Status status = avdtool::Disassemble(bytes, names, tool.texts, out);
  if (status == kCannotRun) {
    ArchiveError(tool, line.positional[0], out);
  } else {
    tool.Print(out);
  }
  return status;
}

Status Run(const Tool& tool, const std::vector<std::string>& args) {
  if (args.empty()) {
    tool.console.Error(avdtool::Usage(tool.texts));
    return kCannotRun;
  }
  const std::string_view command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    tool.Print(avdtool::Usage(tool.texts));
    return kGood;
  }
  struct Command {
    std::string_view name, options;
    Status (*run)(const Tool&, const CommandLine&);
  };
  constexpr Command kCommands[] = {{"list", "--sort --references", List},
                                   {"verify", "", Verify},
                                   {"extract", "--png --directory -d", Extract},
                                   {"contact-sheet", "--columns --force", ContactSheet},
                                   {"disasm", "--source", Disasm}};
  for (const Command& c : kCommands) {
    if (c.name != command) continue;
    CommandLine line;
    platform::PathLine error;
    if (!Parse(tool, args, c.options, line, error)) return UsageError(tool, std::move(error));
    return c.run(tool, line);
  }
  return UsageError(tool, LineWithPath(tool.Tr("unknown command %s"), std::string(command)));
}

}  // namespace

int main(int argc, char** argv) {
  // Opened first, so that standard output and error take the bytes as they
  // are written on every system (no "\r\n" on Windows).
  platform::Console console;
  console.UseLanguage(platform::UserLanguage());
  const Tool tool{console, console.Texts()};
  Status status;
  try {
    status = Run(tool, platform::ProgramArguments(argc, argv));
  } catch (const std::bad_alloc&) {
    console.Error(tool.Tr("avdtool: not enough memory\n"));
    return avdtool::ExitCode(kCannotRun);
  }
  // A full disk or a closed pipe shows here, whichever command wrote.
  if (const platform::Result<> output = console.FinishOutput(); !output) {
    console.Error(base::Format(tool.Tr("avdtool: cannot write the output: %s\n"),
                               platform::Describe(output.Error(), tool.texts).c_str()));
    return avdtool::ExitCode(kCannotRun);
  }
  return avdtool::ExitCode(status);
}
