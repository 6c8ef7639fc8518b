#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/folder_chooser.h"
#include "platform/paths.h"
#include "platform/posix/raw_terminal.h"

namespace platform {
namespace {

// "ゲームフォルダの選択" in Shift-JIS.
constexpr std::string_view kTitle = "\x83Q\x81[\x83\x80\x83t\x83H\x83\x8B\x83_\x82\xCC\x91I\x91\xF0";
constexpr std::string_view kHelp =
    "Up/Down: move   Enter: open   Left/Backspace: parent   Space: choose this folder   Esc: cancel\r\n"
    "Or type a folder path and press Enter.";

// The terminal state to put back from a signal handler, which can reach
// nothing else: the only mutable globals of the program. Set while the
// chooser is shown.
int gTtyFd = -1;
termios gSavedTermios;

void RestoreTerminal() {
  if (gTtyFd < 0) return;
  static constexpr char kLeave[] = "\x1b[?25h\x1b[?1049l";
  ssize_t ignored = write(gTtyFd, kLeave, sizeof kLeave - 1);
  (void)ignored;
  tcsetattr(gTtyFd, TCSADRAIN, &gSavedTermios);
}

extern "C" void RestoreAndReraise(int sig) {
  RestoreTerminal();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

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

// Turns what the user typed into a folder path: "~" is the home folder, a
// relative path starts at the working directory.
std::string ExpandTyped(const std::string& typed, const std::string& workingFolder) {
  if (typed == "~") return HomeFolder();
  if (typed.rfind("~/", 0) == 0) return HomeFolder() + typed.substr(1);
  if (!typed.empty() && typed[0] == '/') return typed;
  return workingFolder + "/" + typed;
}

std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string path = folder == "/" ? "/" + name : folder + "/" + name;
    struct stat st;
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  if (folder != "/") names.insert(names.begin(), "..");
  return names;
}

class Chooser {
 public:
  Chooser(int fd, const Console& console) : fd_(fd), console_(console) {}

  std::optional<std::string> Run() {
    char buf[PATH_MAX];
    workingFolder_ = getcwd(buf, sizeof buf) ? buf : "/";
    Enter(workingFolder_);
    for (;;) {
      Draw();
      int key = ReadKey();
      if (key == kCancel) return std::nullopt;
      if (std::optional<std::string> chosen = Handle(key)) return chosen;
    }
  }

 private:
  static constexpr int kCancel = -1, kUp = -2, kDown = -3, kLeft = -4, kRight = -5, kPageUp = -6,
                       kPageDown = -7, kNone = -8;

  void Enter(const std::string& folder) {
    std::string canonical = CanonicalFolder(folder);
    if (canonical.empty()) {
      notice_ = "Cannot open that folder.";
      return;
    }
    current_ = canonical;
    entries_ = SubFolders(current_);
    selected_ = 0;
    top_ = 0;
  }

  std::string Join(const std::string& name) const {
    if (name == "..") {
      size_t slash = current_.rfind('/');
      return slash == 0 ? "/" : current_.substr(0, slash);
    }
    return current_ == "/" ? "/" + name : current_ + "/" + name;
  }

  std::optional<std::string> Choose(const std::string& folder) {
    return folder + std::string(kSeparatorString);
  }

  std::optional<std::string> Handle(int key) {
    notice_.clear();
    if (!typed_.empty()) {
      if (key == '\r' || key == '\n') {
        std::string folder = CanonicalFolder(ExpandTyped(typed_, workingFolder_));
        if (folder.empty()) {
          notice_ = "Not a folder: " + typed_;
          return std::nullopt;
        }
        return Choose(folder);
      }
      if (key == 0x7F || key == 0x08) {
        typed_.pop_back();
      } else if (key == 0x15) {  // Ctrl-U clears the line
        typed_.clear();
      } else if (key >= 0x20 && key != 0x7F) {
        typed_.push_back(static_cast<char>(key));
      }
      return std::nullopt;
    }
    const int count = static_cast<int>(entries_.size());
    switch (key) {
      case kUp:
        if (selected_ > 0) --selected_;
        break;
      case kDown:
        if (selected_ + 1 < count) ++selected_;
        break;
      case kPageUp:
        selected_ = std::max(0, selected_ - ListRows());
        break;
      case kPageDown:
        selected_ = std::max(0, std::min(count - 1, selected_ + ListRows()));
        break;
      case '\r':
      case '\n':
      case kRight:
        if (count > 0) Enter(Join(entries_[static_cast<size_t>(selected_)]));
        break;
      case kLeft:
      case 0x7F:
      case 0x08:
        if (current_ != "/") Enter(Join(".."));
        break;
      case ' ':
        return Choose(current_);
      default:
        if (key > 0x20 && key < 0x7F)
          typed_.push_back(static_cast<char>(key));
        else if (key >= 0x80)
          typed_.push_back(static_cast<char>(key));
        break;
    }
    return std::nullopt;
  }

  int ListRows() const {
    winsize ws{};
    int rows = (ioctl(fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0) ? ws.ws_row : 24;
    return std::max(3, rows - 8);
  }

  void Draw() {
    const int rows = ListRows();
    if (selected_ < top_) top_ = selected_;
    if (selected_ >= top_ + rows) top_ = selected_ - rows + 1;
    std::string screen = "\x1b[H\x1b[2J";
    screen += console_.ForTerminal(kTitle);
    screen += "\r\n\r\n" + current_ + "\r\n\r\n";
    const int count = static_cast<int>(entries_.size());
    for (int i = top_; i < count && i < top_ + rows; ++i) {
      screen += i == selected_ ? "\x1b[7m> " : "  ";
      screen += entries_[static_cast<size_t>(i)] + "/";
      screen += i == selected_ ? "\x1b[0m\r\n" : "\r\n";
    }
    if (count == 0) screen += "  (no sub-folders)\r\n";
    screen += "\r\n";
    screen += kHelp;
    screen += "\r\n";
    if (!notice_.empty()) screen += "\x1b[1m" + notice_ + "\x1b[0m\r\n";
    if (!typed_.empty()) screen += "Path: " + typed_;
    WriteAll(screen);
  }

  void WriteAll(const std::string& text) const {
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = write(fd_, text.data() + done, text.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return;
      done += static_cast<size_t>(n);
    }
  }

  // Reads one byte; -1 at end of input or error, -2 when nothing came within
  // `timeoutMs` (a negative timeout waits for ever).
  int ReadByte(int timeoutMs) const {
    pollfd p{fd_, POLLIN, 0};
    for (;;) {
      int r = poll(&p, 1, timeoutMs);
      if (r < 0 && errno == EINTR) continue;
      if (r == 0) return -2;
      if (r < 0) return -1;
      unsigned char c;
      ssize_t n = read(fd_, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      return n == 1 ? c : -1;
    }
  }

  int ReadKey() const {
    int c = ReadByte(-1);
    if (c < 0 || c == 0x03) return kCancel;  // end of input or Ctrl-C
    if (c != 0x1B) return c;
    int next = ReadByte(50);
    if (next == -2 || next == 0x1B) return kCancel;  // a lone Esc
    if (next != '[' && next != 'O') return kNone;
    std::string seq;
    for (int b = ReadByte(50); b >= 0; b = ReadByte(50)) {
      seq.push_back(static_cast<char>(b));
      if (b >= 0x40 && b <= 0x7E) break;
    }
    if (seq == "A") return kUp;
    if (seq == "B") return kDown;
    if (seq == "C") return kRight;
    if (seq == "D") return kLeft;
    if (seq == "5~") return kPageUp;
    if (seq == "6~") return kPageDown;
    return kNone;
  }

  int fd_;
  const Console& console_;
  std::string workingFolder_;
  std::string current_;
  std::vector<std::string> entries_;
  int selected_ = 0;
  int top_ = 0;
  std::string typed_;
  std::string notice_;
};

}  // namespace

std::optional<std::string> ChooseGameFolder(const Console& console) {
  posix::RawTerminal terminal;
  const int fd = terminal.Fd();
  if (fd < 0) return std::nullopt;
  gSavedTermios = terminal.Saved();
  gTtyFd = fd;
  struct sigaction action {
  }, savedTerm{}, savedHup{}, savedQuit{};
  action.sa_handler = RestoreAndReraise;
  sigaction(SIGTERM, &action, &savedTerm);
  sigaction(SIGHUP, &action, &savedHup);
  sigaction(SIGQUIT, &action, &savedQuit);

  static constexpr char kEnterScreen[] = "\x1b[?1049h\x1b[?25l";
  ssize_t ignored = write(fd, kEnterScreen, sizeof kEnterScreen - 1);
  (void)ignored;

  std::optional<std::string> chosen = Chooser(fd, console).Run();

  RestoreTerminal();
  sigaction(SIGTERM, &savedTerm, nullptr);
  sigaction(SIGHUP, &savedHup, nullptr);
  sigaction(SIGQUIT, &savedQuit, nullptr);
  gTtyFd = -1;
  return chosen;
}

}  // namespace platform
