#pragma once

#include <span>
#include <string>
#include <string_view>

#include "base/translations.h"

// The converter's command line:
//   avdconv [--output DIR] [--data DIR] [--jobs N] [--quiet] [--force] GAME_FOLDER
//   avdconv --help | --version
// With no argument at all the converter runs interactively, as it always has.
namespace driver {

// Exit statuses of a command-line run.
inline constexpr int kExitWritten = 0;     // the archive was written (also --help, --version)
inline constexpr int kExitNotWritten = 1;  // the spool or the archive could not be written
inline constexpr int kExitUsage = 2;       // a usage error, or a game folder refused before converting
// The converter's own folder, which holds DATA and receives the archive,
// cannot be found (on Linux: /proc is not mounted); also the status of an
// interactive run that stops for it.
inline constexpr int kExitNoConverterFolder = 3;

inline constexpr unsigned kMaxJobs = 64;

struct Options {
  enum class Action { kInteractive, kConvert, kHelp, kVersion };
  Action action = Action::kInteractive;
  std::string gameFolder;    // as given
  std::string outputFolder;  // empty: the converter's own folder
  std::string dataFolder;    // empty: "DATA" beside the converter
  unsigned jobs = 0;         // compression workers; 0: the default
  bool quiet = false;        // warnings and errors only
  bool force = false;        // convert a folder without game data
};

// The options, or the one-line reason they are not usable.
struct ParsedCommandLine {
  Options options;
  std::string error;  // empty when the command line is usable
};

// Parses the arguments that follow the program's name. Options may come
// before or after the game folder, a value either as the next argument or
// after '=' ("--jobs=2"); "--" ends the options. The first usage error
// found is the one reported; without one, --help or --version wins over a
// conversion. No argument at all is the interactive run.
ParsedCommandLine ParseCommandLine(std::span<const std::string_view> args,
                                   const base::Translations& texts = base::Translations());

// True when a command-line run ends with "何かキーを押してください." and the
// key wait: when the console belongs to this run alone (`consoleProcesses`
// is 1, as when Windows' Explorer starts the converter with a folder dropped
// onto it, and the window would close with the run) and standard output is
// that console. From a shell, a script or a pipe there is no wait.
bool WaitsForAKeyAtTheEnd(unsigned consoleProcesses, bool outputIsConsole);

#ifdef _WIN32
inline constexpr bool kOnWindows = true;
#else
inline constexpr bool kOnWindows = false;
#endif

// The text of --help and of --version, each ending in a line break. The
// help speaks of the system it is shown on (`forWindows`: exit statuses of
// Ctrl-C, Ctrl-Break and a closed window, the display language, drive
// letters) or of a POSIX system (signals, locale variables).
std::string HelpText(const base::Translations& texts = base::Translations(), bool forWindows = kOnWindows);
std::string VersionText();

}  // namespace driver
