// The folder chooser on a POSIX terminal: raw mode, the signals, the keys
// read from the terminal and the screen written to it. What the chooser
// shows and does is chooser/chooser_model.h.
#include "platform/folder_chooser.h"

#include <dirent.h>
#include <poll.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "chooser/chooser_keys.h"
#include "chooser/chooser_model.h"
#include "platform/posix/raw_terminal.h"

namespace platform {
namespace {

using chooser::ChooserModel;
using chooser::ChooserSystem;
using chooser::ChooserTexts;
using chooser::KeyReader;
namespace byte_read = chooser::byte_read;
namespace key = chooser::key;

// "ゲームフォルダの選択" in Shift-JIS.
constexpr std::string_view kTitle = "\x83Q\x81[\x83\x80\x83t\x83H\x83\x8B\x83_\x82\xCC\x91I\x91\xF0";

// Does nothing: its only effect is to wake the wait for a key, which then
// redraws the chooser at the new size.
extern "C" void OnResize(int) {}

std::string CanonicalFolder(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (!real) return {};
  std::string result = real;
  std::free(real);
  struct stat st;
  if (stat(result.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return {};
  return result;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

// The sub-folders of `folder`, links to folders among them.
std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (stat((prefix + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(name);
  }
  closedir(dir);
  return names;
}

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

// Reads one byte from `fd`, waiting at most `timeoutMs` (for ever when it
// is negative); the resize signal is let through only during an endless
// wait, and ends it.
int ReadByte(int fd, const sigset_t& waitMask, int timeoutMs) {
  pollfd p{fd, POLLIN, 0};
  const timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
  for (;;) {
    int r = ppoll(&p, 1, timeoutMs < 0 ? nullptr : &timeout, &waitMask);
    if (r < 0 && errno == EINTR) {
      if (timeoutMs < 0) return byte_read::kResized;
      continue;
    }
    if (r == 0) return byte_read::kTimedOut;
    if (r < 0) return byte_read::kClosed;
    unsigned char c;
    ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    return n == 1 ? c : byte_read::kClosed;
  }
}

// The chooser's lines in the console's language and the terminal's codeset.
ChooserTexts Texts(const Console& console) {
  // Named as the console's call, so that the catalog check finds the texts.
  const auto Tr = [&console](const char* english) { return console.ForTerminal(console.Tr(english)); };
  ChooserTexts t;
  t.help = {Tr("Up/Down/PgUp/PgDn/Home/End: move   Enter/Right: open   Left/Backspace: parent"),
            Tr("Space: choose the highlighted folder (on ../: the folder shown)   Esc: cancel"),
            Tr("Or type a path (Tab completes) and press Enter.   [game data]: holds the game")};
  t.shortHelp = {Tr("Space:choose Enter:open Esc:quit"), Tr("Spc:choose Ent:open Esc:quit")};
  t.gameDataMark = Tr("  [game data]");
  t.confirm = Tr("No game data in this folder (no MES/*.SIO, no *.MOE). Convert anyway? [y/N]");
  t.pathLabel = Tr("Path: ");
  t.cannotOpen = Tr("Cannot open that folder.");
  t.notAFolder = Tr("Not a folder: ");
  t.nothingToComplete = Tr("No folder name to complete.");
  t.noSubFolders = Tr("  (no sub-folders)");
  return t;
}

// Draws the chooser and feeds it keys until a folder is chosen or the
// chooser is left.
std::optional<std::string> Run(int fd, const Console& console, const FolderCheck& holdsGameData,
                               const sigset_t& waitMask) {
  ChooserSystem system;
  system.subFolders = SubFolders;
  system.canonicalFolder = CanonicalFolder;
  char buf[PATH_MAX];
  system.workingFolder = getcwd(buf, sizeof buf) ? buf : "/";
  system.homeFolder = HomeFolder();
  system.holdsGameData = holdsGameData;
  system.encoding = console.Encoding();
  system.shownName = [&console](std::string_view name) { return console.PathForTerminal(name); };
  system.title = console.ForTerminal(kTitle);
  system.texts = Texts(console);
  ChooserModel model(std::move(system));
  KeyReader keys([fd, &waitMask](int timeoutMs) { return ReadByte(fd, waitMask, timeoutMs); });
  for (;;) {
    winsize ws{};
    const bool known = ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0;
    const std::vector<std::string> lines = model.Screen(known ? ws.ws_row : 24, known ? ws.ws_col : 80);
    std::string screen = "\x1b[H\x1b[2J";
    for (size_t i = 0; i < lines.size(); ++i) screen += (i ? "\r\n" : "") + lines[i];
    WriteAll(fd, screen);

    const int key = keys.Next();
    if (key == key::kResize) continue;
    if (key == key::kClosed || key == key::kInterrupt) return std::nullopt;
    switch (model.Press(key)) {
      case ChooserModel::Outcome::kChosen:
        return model.Chosen();
      case ChooserModel::Outcome::kCancelled:
        return std::nullopt;
      case ChooserModel::Outcome::kOpen:
        break;
    }
  }
}

}  // namespace

std::optional<std::string> ChooseGameFolder(const Console& console, const FolderCheck& holdsGameData) {
  // The chooser has a screen of its own and no cursor while it is shown.
  const posix::RawTerminal terminal("\x1b[?1049h\x1b[?25l", "\x1b[?25h\x1b[?1049l");
  if (terminal.Fd() < 0) return std::nullopt;
  // The resize signal stays blocked but for the wait for a key, so it can
  // neither interrupt a redraw nor be missed between the redraw and the wait.
  const posix::SignalHandlers resize({SIGWINCH}, OnResize, {}, {}, posix::SignalHandlers::Mask::kKeptBlocked);
  sigset_t waitMask = resize.FormerMask();
  sigdelset(&waitMask, SIGWINCH);
  return Run(terminal.Fd(), console, holdsGameData, waitMask);
}

}  // namespace platform
