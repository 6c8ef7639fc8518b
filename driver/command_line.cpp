#include "driver/command_line.h"

#include <cstdarg>
#include <optional>

#include "base/diagnostics.h"
#include "driver/messages.h"
#include "platform/names.h"

namespace driver {
namespace {

// The value of a number option: decimal digits only, 1 to kMaxJobs.
std::optional<unsigned> ParseJobs(std::string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value < 1 || value > kMaxJobs) return std::nullopt;
  return value;
}

// An argument (as the system hands it over: UTF-8 on Windows, bytes
// elsewhere) as a Shift-JIS line shows it, a path's way: UTF-8 text in
// Shift-JIS where it has the characters, as \xNN where it lacks them.
std::string Shown(std::string_view arg) { return platform::PathForMessage(arg); }

class Parser {
 public:
  Parser(std::span<const std::string_view> args, const base::Translations& texts)
      : args_(args), texts_(texts) {}

  ParsedCommandLine Parse() {
    if (args_.empty()) return {};
    options_.action = Options::Action::kConvert;
    bool optionsEnded = false;
    for (next_ = 0; next_ < args_.size() && error_.empty();) {
      const std::string_view arg = args_[next_++];
      if (optionsEnded || arg.empty() || arg[0] != '-') {
        Operand(arg);
      } else if (arg == "--") {
        optionsEnded = true;
      } else {
        Option(arg);
      }
    }
    if (error_.empty() && !help_ && !version_ && !haveGame_)
      Fail(texts_.Tr("no game folder given (see --help)"));
    if (!error_.empty()) return {options_, "avdconv: " + error_};
    if (help_) options_.action = Options::Action::kHelp;
    if (!help_ && version_) options_.action = Options::Action::kVersion;
    return {options_, ""};
  }

 private:
  // The first error found is the one reported.
  void Fail(const char* format, ...) AVD_PRINTF_FORMAT(2, 3) {
    if (!error_.empty()) return;
    va_list args;
    va_start(args, format);
    error_ = base::FormatV(format, args);
    va_end(args);
  }

  void Operand(std::string_view arg) {
    if (haveGame_) {
      return Fail(texts_.Tr("more than one game folder given: %s, %s"), Shown(options_.gameFolder).c_str(),
                  Shown(arg).c_str());
    }
    if (arg.empty()) return Fail("%s", texts_.Tr("the game folder is an empty name"));
    options_.gameFolder = arg;
    haveGame_ = true;
  }

  // The value of `name`: behind '=' in `arg`, or the next argument.
  // `missing` is the error when there is none.
  std::optional<std::string_view> Value(std::optional<std::string_view> inline_, const std::string& missing) {
    std::optional<std::string_view> value = inline_;
    if (!value && next_ < args_.size() && !args_[next_].starts_with("-")) value = args_[next_++];
    if (!value || value->empty()) {
      Fail("%s", missing.c_str());
      return std::nullopt;
    }
    return value;
  }

  void Folder(std::string_view name, std::optional<std::string_view> inline_, std::string& folder,
              bool& seen) {
    std::optional<std::string_view> value =
        Value(inline_, base::Format(texts_.Tr("%s needs a folder"), std::string(name).c_str()));
    if (!value) return;
    if (seen) return Fail(texts_.Tr("%s given twice"), std::string(name).c_str());
    folder = *value;
    seen = true;
  }

  void Flag(std::string_view name, std::optional<std::string_view> inline_, bool& flag) {
    if (inline_) return Fail(texts_.Tr("%s takes no value"), std::string(name).c_str());
    flag = true;
  }

  void Option(std::string_view arg) {
    std::string_view name = arg;
    std::optional<std::string_view> inline_;
    if (size_t eq = arg.find('='); eq != std::string_view::npos) {
      name = arg.substr(0, eq);
      inline_ = arg.substr(eq + 1);
    }
    if (name == "--output") return Folder(name, inline_, options_.outputFolder, haveOutput_);
    if (name == "--data") return Folder(name, inline_, options_.dataFolder, haveData_);
    if (name == "--quiet") return Flag(name, inline_, options_.quiet);
    if (name == "--force") return Flag(name, inline_, options_.force);
    if (name == "--help") return Flag(name, inline_, help_);
    if (name == "--version") return Flag(name, inline_, version_);
    if (name == "--jobs") {
      std::optional<std::string_view> value =
          Value(inline_, base::Format(texts_.Tr("%s needs a number of workers from 1 to %u"),
                                      std::string(name).c_str(), kMaxJobs));
      if (!value) return;
      std::optional<unsigned> jobs = ParseJobs(*value);
      if (!jobs) {
        return Fail(texts_.Tr("%s needs a number of workers from 1 to %u, not %s"), std::string(name).c_str(),
                    kMaxJobs, Shown(*value).c_str());
      }
      if (haveJobs_) return Fail(texts_.Tr("%s given twice"), std::string(name).c_str());
      options_.jobs = *jobs;
      haveJobs_ = true;
      return;
    }
    Fail(texts_.Tr("unknown option %s (see --help)"), Shown(name).c_str());
  }

  std::span<const std::string_view> args_;
  const base::Translations& texts_;
  size_t next_ = 0;
  Options options_;
  std::string error_;
  bool haveGame_ = false, haveOutput_ = false, haveData_ = false, haveJobs_ = false;
  bool help_ = false, version_ = false;
};

// The help's exit statuses and language rule, as each system has them.
std::string PosixEnding(const base::Translations& texts) {
  return std::string(texts.Tr("Exit status: 0 the archive was written; 1 it was not (spool or archive\n"
                              "failure); 2 a usage error, a GAME_FOLDER, --output or --data that is not a\n"
                              "folder, or a GAME_FOLDER without game data (and no --force), with nothing\n"
                              "touched; 3 the converter's own folder cannot be found (no /proc) and\n"
                              "--output and --data do not both stand in for it, with nothing touched;\n"
                              "128+N stopped by signal N (Ctrl-C: 130), with tmp.dat and DAV299.AVD.part\n"
                              "removed and an earlier DAV299.AVD kept.\n")) +
         "\n" +
         texts.Tr(
             "Language: Japanese when the first of LC_ALL, LC_MESSAGES and LANG that is\n"
             "set begins with \"ja\" (on Windows: when the user's display language is\n"
             "Japanese), English otherwise. The converter's own Japanese messages are the\n"
             "same in every language.\n");
}

std::string WindowsEnding(const base::Translations& texts) {
  return std::string(texts.Tr("Exit status (ERRORLEVEL): 0 the archive was written; 1 it was not (spool\n"
                              "or archive failure); 2 a usage error, a GAME_FOLDER, --output or --data\n"
                              "that is not a folder, or a GAME_FOLDER without game data (and no --force),\n"
                              "with nothing touched; 3 the converter's own folder cannot be found and\n"
                              "--output and --data do not both stand in for it, with nothing touched;\n"
                              "130 stopped by Ctrl-C, 149 by Ctrl-Break, 129 by closing the console\n"
                              "window, with tmp.dat and DAV299.AVD.part removed and an earlier DAV299.AVD\n"
                              "kept.\n")) +
         "\n" +
         texts.Tr(
             "Folders: a relative path or a drive letter alone (Y:) is taken from the\n"
             "current folder (of that drive), a trailing dot or space of a folder's name\n"
             "is dropped as Windows drops it, paths of any length work, and a game file\n"
             "named like a device (CON.MOE, NUL.MOE) is read as the file it is.\n") +
         "\n" +
         texts.Tr(
             "Language: Japanese when the user's display language is Japanese, English\n"
             "otherwise. The converter's own Japanese messages are the same in every\n"
             "language.\n");
}

}  // namespace

ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args, const base::Translations& texts) {
  return Parser(args, texts).Parse();
}

std::string HelpText(const base::Translations& texts, bool forWindows) {
  return std::string(texts.Tr(
             "Usage: avdconv [--output DIR] [--data DIR] [--jobs N] [--quiet]\n"
             "               [--force] GAME_FOLDER\n"
             "       avdconv --help | --version\n")) +
         texts.Tr("       avdconv            (no argument: choose the game folder interactively)\n") + "\n" +
         texts.Tr("Converts the game installed in GAME_FOLDER into the archive DAV299.AVD.\n") + "\n" +
         texts.Tr(
             "  --output DIR  write DAV299.AVD and the temporary spool tmp.dat into DIR\n"
             "                (default: the converter's own folder)\n"
             "  --data DIR    store the files of DIR as members (default: DATA beside the\n"
             "                converter)\n"
             "  --jobs N      compression workers, 1 to 64 (default: one per processor)\n"
             "  --quiet       print warnings and errors only\n"
             "  --force       convert GAME_FOLDER even when it holds no game data\n"
             "  --help        show this text\n"
             "  --version     show the version\n") +
         "\n" +
         texts.Tr(
             "A folder holds game data when it has MES/*.SIO, or *.MOE in it or in CG,\n"
             "TACHI or OPENING (any letter case). At the end a summary line reads\n"
             "  Converted: <s> scenarios, <p> pictures, <d> data files; <w> warnings;\n"
             "  <archive path> (<size> MiB)\n"
             "with the archive's size in MiB to one decimal (a count of 1 is singular:\n"
             "1 scenario, 1 warning).\n") +
         "\n" + (forWindows ? WindowsEnding(texts) : PosixEnding(texts));
}

std::string VersionText() { return std::string("avdconv ") + text::kVersion + "\n"; }

bool WaitsForAKeyAtTheEnd(unsigned consoleProcesses, bool outputIsConsole) {
  return consoleProcesses == 1 && outputIsConsole;
}

}  // namespace driver
