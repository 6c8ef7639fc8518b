// avdtool: looks into an archive the converter wrote.
//   avdtool list ARCHIVE [--sort name|offset|size]
//   avdtool verify ARCHIVE
//   avdtool extract ARCHIVE [DIR] [--png] [NAME...]
//   avdtool contact-sheet ARCHIVE OUT.png [--columns N]
//   avdtool disasm ARCHIVE [NAME...]
//   avdtool disasm --source FILE.SIO
//   avdtool --help
// Exit status: 0 when all is well, 1 when the archive has problems or a
// member could not be written, 2 when the archive cannot be read or the
// command line is wrong.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "archive/verify.h"
#include "avdtool/archive_file.h"
#include "avdtool/contact_sheet.h"
#include "avdtool/disasm.h"
#include "avdtool/extract.h"
#include "avdtool/listing.h"
#include "base/printable.h"
#include "platform/arguments.h"
#include "platform/console.h"
#include "platform/tool_files.h"

namespace {

constexpr int kGood = 0;
constexpr int kProblems = 1;
constexpr int kCannotRun = 2;

constexpr const char* kUsage =
    "usage:\n"
    "  avdtool list ARCHIVE [--sort name|offset|size]\n"
    "      one line per member: name, kind, packed and unpacked size, ratio, offset,\n"
    "      and a picture's stored size or a scenario's code length; then the totals\n"
    "  avdtool verify ARCHIVE\n"
    "      checks everything the archive format promises, one line per problem;\n"
    "      exit status 0 when all is good, 1 when not, 2 when the file cannot be read\n"
    "  avdtool extract ARCHIVE [DIR] [--png] [NAME...]\n"
    "      writes every member, or those named, into DIR (default: the current\n"
    "      folder), never outside it and never over a file already there; --png also\n"
    "      writes each picture X.PDT as X.png\n"
    "  avdtool contact-sheet ARCHIVE OUT.png [--columns N]\n"
    "      one PNG with every picture as a labelled thumbnail, N to a row (1 to 64,\n"
    "      default 6)\n"
    "  avdtool disasm ARCHIVE [NAME...]\n"
    "      lists the code of every scenario member, or of those named: the header's\n"
    "      fields, then one instruction a line:\n"
    "        000012  15 28 3b 15 11 29 ..  if.ne        5, 1, -> 0x00001f\n"
    "      code offset, the first bytes (at most six; .. when there are more),\n"
    "      mnemonic (a role name, or op and the opcode.sub-code), operands: numbers\n"
    "      in decimal, texts in quotes in the console's codeset with control bytes\n"
    "      as \\xNN, jumps as -> and the target's code offset. \"00001f:\" stands\n"
    "      before every instruction a jump lands on; a byte no instruction form\n"
    "      matches is a db line, and the listing goes on with the next byte\n"
    "  avdtool disasm --source FILE.SIO\n"
    "      lists a source scenario the same way, by source offset, as the\n"
    "      converter walks it: the offset of a \"Jump point (0x....) not found\"\n"
    "      line is found here; v300 is variable 300\n"
    "  avdtool --help\n";

// A path or an argument as a line shows it: the system's names are UTF-8
// (on Windows too: the arguments come from the wide command line), and
// their control bytes are escaped.
std::string Shown(std::string_view text) { return base::Printable(text, base::TextEncoding::kUtf8); }

int UsageError(const std::string& message) {
  std::fprintf(stderr, "avdtool: %s (avdtool --help shows the commands)\n", Shown(message).c_str());
  return kCannotRun;
}

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

struct CommandLine {
  std::vector<std::string> positional;
  std::string sort = "name";
  bool png = false;
  bool source = false;
  std::string columns;
};

// Splits the arguments after the command into options and the rest; false
// with a message for an option the command does not take or one without its
// value.
bool Parse(const std::vector<std::string>& args, std::string_view allowed, CommandLine& line,
           std::string& error) {
  bool optionsEnd = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnd || !arg.starts_with("--")) {
      line.positional.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnd = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    if (name.size() < 3 ||
        (" " + std::string(allowed) + " ").find(" " + std::string(name) + " ") == std::string::npos) {
      error = "unknown option " + std::string(arg) + " for " + args[0];
      return false;
    }
    const auto value = [&](std::string& into) {
      if (equals != std::string_view::npos) {
        into = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        into = args[++i];
      } else {
        error = "option " + std::string(name) + " needs a value";
        return false;
      }
      return true;
    };
    if (name == "--sort") {
      if (!value(line.sort)) return false;
    } else if (name == "--columns") {
      if (!value(line.columns)) return false;
    } else if (equals != std::string_view::npos) {
      error = "option " + std::string(name) + " takes no value";
      return false;
    } else if (name == "--source") {
      line.source = true;
    } else {
      line.png = true;
    }
  }
  return true;
}

bool Load(const std::string& path, std::vector<uint8_t>& bytes) {
  std::string error;
  if (avdtool::ReadArchiveFile(path, bytes, error)) return true;
  std::fprintf(stderr, "avdtool: cannot read %s: %s\n", Shown(path).c_str(), error.c_str());
  return false;
}

int List(const CommandLine& line) {
  if (line.positional.size() != 1) return UsageError("list takes one archive");
  avdtool::SortOrder order;
  if (line.sort == "name") {
    order = avdtool::SortOrder::kName;
  } else if (line.sort == "offset") {
    order = avdtool::SortOrder::kOffset;
  } else if (line.sort == "size") {
    order = avdtool::SortOrder::kSize;
  } else {
    return UsageError("--sort takes name, offset or size");
  }
  std::vector<uint8_t> bytes;
  if (!Load(line.positional[0], bytes)) return kCannotRun;
  std::string out;
  const int status = avdtool::List(bytes, order, out);
  if (status == 0) {
    Print(out);
  } else {
    std::fprintf(stderr, "avdtool: %s: %s", Shown(line.positional[0]).c_str(), out.c_str());
  }
  return status;
}

int Verify(const CommandLine& line) {
  if (line.positional.size() != 1) return UsageError("verify takes one archive");
  std::vector<uint8_t> bytes;
  if (!Load(line.positional[0], bytes)) return kCannotRun;
  const archive::Verification v = archive::Verify(bytes);
  Print(archive::VerificationReport(v));
  return v.problems.empty() ? kGood : kProblems;
}

int Extract(const CommandLine& line) {
  if (line.positional.empty()) return UsageError("extract takes an archive");
  std::vector<uint8_t> bytes;
  if (!Load(line.positional[0], bytes)) return kCannotRun;
  const std::string folderPath = line.positional.size() > 1 ? line.positional[1] : ".";
  std::string error;
  const std::unique_ptr<platform::OutputFolder> folder = platform::OutputFolder::Open(folderPath, error);
  if (!folder) {
    std::fprintf(stderr, "avdtool: %s\n", Shown(error).c_str());
    return kCannotRun;
  }
  avdtool::ExtractOptions options;
  options.png = line.png;
  options.names.assign(line.positional.begin() + std::min<ptrdiff_t>(2, std::ssize(line.positional)),
                       line.positional.end());
  std::string report;
  const int status = avdtool::Extract(bytes, *folder, options, report);
  Print(report);
  return status;
}

int ContactSheet(const CommandLine& line) {
  if (line.positional.size() != 2) return UsageError("contact-sheet takes an archive and the PNG to write");
  uint32_t columns = 0;
  if (!line.columns.empty()) {
    char* end = nullptr;
    errno = 0;
    const unsigned long n = std::strtoul(line.columns.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || line.columns[0] == '-' || n < 1 || n > avdtool::kMostColumns)
      return UsageError("--columns takes a number from 1 to " + std::to_string(avdtool::kMostColumns));
    columns = static_cast<uint32_t>(n);
  }
  std::vector<uint8_t> bytes;
  if (!Load(line.positional[0], bytes)) return kCannotRun;
  std::vector<uint8_t> png;
  std::string notes;
  const int status = avdtool::MakeContactSheet(bytes, columns, png, notes);
  Print(notes);
  if (png.empty()) return kProblems;
  std::string error;
  if (!avdtool::WriteOutputFile(line.positional[1], png, error)) {
    std::fprintf(stderr, "avdtool: %s\n", Shown(error).c_str());
    return kCannotRun;
  }
  return status;
}

// Listings carry Shift-JIS texts: the console writes them in the
// terminal's codeset, and as they are to a pipe or a file.
void PrintText(const std::string& sjis) {
  platform::Console console;
  console.Print(sjis);
}

int Disasm(const CommandLine& line) {
  if (line.source) {
    if (line.positional.size() != 1) return UsageError("disasm --source takes one source scenario");
    std::vector<uint8_t> bytes;
    if (!Load(line.positional[0], bytes)) return kCannotRun;
    PrintText(avdtool::ListSource(bytes));
    return kGood;
  }
  if (line.positional.empty()) return UsageError("disasm takes an archive");
  std::vector<uint8_t> bytes;
  if (!Load(line.positional[0], bytes)) return kCannotRun;
  std::string out;
  const std::vector<std::string> names(line.positional.begin() + 1, line.positional.end());
  const int status = avdtool::Disassemble(bytes, names, out);
  if (status == kCannotRun) {
    std::fprintf(stderr, "avdtool: %s: %s", Shown(line.positional[0]).c_str(), out.c_str());
  } else {
    PrintText(out);
  }
  return status;
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fputs(kUsage, stderr);
    return kCannotRun;
  }
  const std::string_view command = args[0];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    return kGood;
  }
  struct Command {
    std::string_view name, options;
    int (*run)(const CommandLine&);
  };
  constexpr Command kCommands[] = {{"list", "--sort", List},
                                   {"verify", "", Verify},
                                   {"extract", "--png", Extract},
                                   {"contact-sheet", "--columns", ContactSheet},
                                   {"disasm", "--source", Disasm}};
  for (const Command& c : kCommands) {
    if (c.name != command) continue;
    CommandLine line;
    std::string error;
    if (!Parse(args, c.options, line, error)) return UsageError(error);
    return c.run(line);
  }
  return UsageError("unknown command " + std::string(command));
}

}  // namespace

int main(int argc, char** argv) {
  // Opened first, so that standard output and error take the bytes as they
  // are written on every system (no "\r\n" on Windows).
  const platform::Console console;
  int status;
  try {
    status = Run(platform::ProgramArguments(argc, argv));
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "avdtool: not enough memory\n");
    return kCannotRun;
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, "avdtool: cannot write the output: %s\n", std::strerror(errno));
    return kCannotRun;
  }
  return status;
}
