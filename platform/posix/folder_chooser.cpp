#include "platform/folder_chooser.h"

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
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "platform/paths.h"
#include "platform/posix/raw_terminal.h"
#include "platform/text_columns.h"

namespace platform {
namespace {

// "ゲームフォルダの選択" in Shift-JIS.
constexpr std::string_view kTitle = "\x83Q\x81[\x83\x80\x83t\x83H\x83\x8B\x83_\x82\xCC\x91I\x91\xF0";
// The key help when the screen is wide enough for all of it, and the
// essential keys otherwise.
constexpr std::string_view kHelp[] = {
    "Up/Down/PgUp/PgDn/Home/End: move   Enter/Right: open   Left/Backspace: parent",
    "Space: choose the highlighted folder (on ../: the folder shown)   Esc: cancel",
    "Or type a path (Tab completes) and press Enter.   [game data]: holds the game",
};
constexpr std::string_view kShortHelp[] = {"Space:choose Enter:open Esc:quit",
                                           "Spc:choose Ent:open Esc:quit"};
constexpr std::string_view kGameDataMark = "  [game data]";
constexpr std::string_view kConfirm =
    "No game data in this folder (no MES/*.SIO, no *.MOE). Convert anyway? [y/N]";

// The terminal state to put back from a signal handler, which can reach
// nothing else: mutable globals, set while the chooser is shown.
int gTtyFd = -1;
termios gSavedTermios;

constexpr int kRestoredSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

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

// Turns what the user typed into a folder path: "~" is the home folder, a
// relative path starts at the working directory.
std::string ExpandTyped(const std::string& typed, const std::string& workingFolder) {
  if (typed == "~") return HomeFolder();
  if (typed.rfind("~/", 0) == 0) return HomeFolder() + typed.substr(1);
  if (!typed.empty() && typed[0] == '/') return typed;
  return workingFolder + "/" + typed;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The sub-folders of `folder`, sorted.
std::vector<std::string> SubFolders(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat st;
    if (stat(JoinPath(folder, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// `text` in lines of at most `columns` columns, broken after a space where
// one is near.
std::vector<std::string> Wrap(std::string_view text, TerminalEncoding encoding, size_t columns) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    std::string line = FitToColumns(text, encoding, columns);
    if (line.empty())
      line = FitToColumns(text, encoding, SIZE_MAX).substr(0, 1);  // narrower than a character
    size_t taken = line.size();  // FitToColumns keeps the byte count of what it takes
    if (taken < text.size()) {
      const size_t space = line.rfind(' ');
      if (space != std::string::npos && space > 0) taken = space + 1;
    }
    lines.push_back(std::string(text.substr(0, taken)));
    while (!lines.back().empty() && lines.back().back() == ' ') lines.back().pop_back();
    lines.back() = FitToColumns(lines.back(), encoding, columns);
    text.remove_prefix(taken);
  }
  return lines;
}

class Chooser {
 public:
  Chooser(int fd, const Console& console, const FolderCheck& holdsGameData, const sigset_t& waitMask)
      : fd_(fd), console_(console), holdsGameData_(holdsGameData), waitMask_(waitMask) {}

  std::optional<std::string> Run() {
    char buf[PATH_MAX];
    workingFolder_ = getcwd(buf, sizeof buf) ? buf : "/";
    Enter(workingFolder_);
    for (;;) {
      Draw();
      const int key = ReadKey();
      if (key == kResize) continue;
      if (key == kClosed || key == kInterrupt) return std::nullopt;
      if (pending_) {
        // Anything but y goes back to the chooser.
        std::optional<std::string> chosen;
        if (key == 'y' || key == 'Y') chosen = *pending_ + std::string(kSeparatorString);
        pending_.reset();
        if (chosen) return chosen;
        continue;
      }
      if (key == kEscape && typed_.empty()) return std::nullopt;
      if (std::optional<std::string> chosen = Handle(key)) return chosen;
    }
  }

 private:
  // Keys besides the bytes themselves.
  static constexpr int kClosed = -1, kUp = -2, kDown = -3, kLeft = -4, kRight = -5, kPageUp = -6,
                       kPageDown = -7, kNone = -8, kHome = -9, kEndKey = -10, kEscape = -11, kInterrupt = -12,
                       kResize = -13;
  // What ReadByte returns besides a byte.
  static constexpr int kByteTimeout = -2, kByteResized = -3;

  struct Completion {
    std::string base;  // what was typed before the name being completed
    std::vector<std::string> names;
    size_t next = 0;
  };

  void Enter(const std::string& folder, const std::string& highlight = {}) {
    std::string canonical = CanonicalFolder(folder);
    if (canonical.empty()) {
      notice_ = "Cannot open that folder.";
      return;
    }
    current_ = canonical;
    entries_ = SubFolders(current_);
    if (current_ != "/") entries_.insert(entries_.begin(), "..");
    marks_.assign(entries_.size(), kUnknown);
    selected_ = 0;
    top_ = 0;
    if (auto it = std::find(entries_.begin(), entries_.end(), highlight);
        !highlight.empty() && it != entries_.end()) {
      selected_ = static_cast<int>(it - entries_.begin());
    }
  }

  void EnterParent() {
    if (current_ == "/") return;
    const size_t slash = current_.rfind('/');
    const std::string cameFrom = current_.substr(slash + 1);
    Enter(slash == 0 ? "/" : current_.substr(0, slash), cameFrom);
  }

  std::string Join(const std::string& name) const { return JoinPath(current_, name); }

  // Chooses `folder` when it holds game data, otherwise asks first.
  std::optional<std::string> Offer(const std::string& folder) {
    const std::string chosen = folder + std::string(kSeparatorString);
    if (!holdsGameData_ || holdsGameData_(chosen)) return chosen;
    pending_ = folder;
    return std::nullopt;
  }

  std::optional<std::string> Handle(int key) {
    notice_.clear();
    if (key != '\t') completion_.reset();
    if (!typed_.empty()) {
      HandleTyping(key);
      if (key != '\r' && key != '\n') return std::nullopt;
      std::string folder = CanonicalFolder(ExpandTyped(typed_, workingFolder_));
      if (folder.empty()) {
        notice_ = "Not a folder: " + typed_;
        return std::nullopt;
      }
      return Offer(folder);
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
        selected_ = std::max(0, selected_ - listRows_);
        break;
      case kPageDown:
        selected_ = std::max(0, std::min(count - 1, selected_ + listRows_));
        break;
      case kHome:
        selected_ = 0;
        break;
      case kEndKey:
        selected_ = std::max(0, count - 1);
        break;
      case '\r':
      case '\n':
      case kRight:
        if (count == 0) break;
        if (Highlighted() == "..") {
          EnterParent();
        } else {
          Enter(Join(Highlighted()));
        }
        break;
      case kLeft:
      case 0x7F:
      case 0x08:
        EnterParent();
        break;
      case ' ': {
        if (count == 0 || Highlighted() == "..") return Offer(current_);
        std::string folder = CanonicalFolder(Join(Highlighted()));
        if (folder.empty()) {
          notice_ = "Cannot open that folder.";
          break;
        }
        return Offer(folder);
      }
      default:
        if (key > 0x20 && key != 0x7F) typed_.push_back(static_cast<char>(key));
        break;
    }
    return std::nullopt;
  }

  // A key while a path is being typed; Enter is left to the caller.
  void HandleTyping(int key) {
    if (key == kEscape || key == 0x15) {  // Ctrl-U clears the line too
      typed_.clear();
    } else if (key == 0x7F || key == 0x08) {
      // One character: a UTF-8 character may take several bytes.
      const bool utf8 = console_.Encoding() == TerminalEncoding::kUtf8;
      while (!typed_.empty()) {
        const auto last = static_cast<unsigned char>(typed_.back());
        typed_.pop_back();
        if (!utf8 || (last & 0xC0) != 0x80) break;
      }
    } else if (key == '\t') {
      Complete();
    } else if (key >= 0x20 && key != 0x7F) {
      typed_.push_back(static_cast<char>(key));
    }
  }

  // Completes the last part of the typed path to the next folder name that
  // starts with it; with several, each Tab moves on to the next one.
  void Complete() {
    if (!completion_) {
      const size_t slash = typed_.rfind('/');
      Completion c;
      c.base = slash == std::string::npos ? std::string() : typed_.substr(0, slash + 1);
      const std::string prefix = typed_.substr(c.base.size());
      const std::string folder = c.base.empty() ? workingFolder_ : ExpandTyped(c.base, workingFolder_);
      for (const std::string& name : SubFolders(folder)) {
        if (name.rfind(prefix, 0) != 0) continue;
        if (name[0] == '.' && (prefix.empty() || prefix[0] != '.')) continue;
        c.names.push_back(name);
      }
      if (c.names.empty()) {
        notice_ = "No folder name to complete.";
        return;
      }
      completion_ = std::move(c);
    }
    typed_ = completion_->base + completion_->names[completion_->next] + "/";
    completion_->next = (completion_->next + 1) % completion_->names.size();
    // A single match is done: the next Tab completes inside it.
    if (completion_->names.size() == 1) completion_.reset();
  }

  const std::string& Highlighted() const { return entries_[static_cast<size_t>(selected_)]; }

  bool Marked(size_t i) {
    if (marks_[i] == kUnknown) {
      marks_[i] =
          entries_[i] != ".." && holdsGameData_ && holdsGameData_(Join(entries_[i]) + "/") ? kYes : kNo;
    }
    return marks_[i] == kYes;
  }

  std::string EntryLine(size_t i, size_t width) {
    const std::string_view cursor = static_cast<int>(i) == selected_ ? "> " : "  ";
    std::string_view mark = Marked(i) ? kGameDataMark : "";
    if (width < cursor.size() + mark.size() + 2) mark = "";
    const size_t room = width > cursor.size() + mark.size() ? width - cursor.size() - mark.size() : 0;
    std::string line = std::string(cursor) + FitToColumns(entries_[i] + "/", console_.Encoding(), room);
    line += mark;
    return static_cast<int>(i) == selected_ ? "\x1b[7m" + line + "\x1b[0m" : line;
  }

  void Draw() {
    winsize ws{};
    const bool known = ioctl(fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0;
    const int rows = known ? ws.ws_row : 24;
    // One column stays free: some terminals wrap as soon as the last one is written.
    const size_t width = std::max(1, (known ? ws.ws_col : 80) - 1);
    const TerminalEncoding encoding = console_.Encoding();

    std::vector<std::string> header = {FitToColumns(console_.ForTerminal(kTitle), encoding, width), "",
                                       FitTailToColumns(current_, encoding, width), ""};
    bool wideHelp = true;
    for (std::string_view line : kHelp) wideHelp = wideHelp && line.size() <= width;
    std::vector<std::string> help;
    auto setHelp = [&] {
      help.clear();
      if (wideHelp) {
        for (std::string_view line : kHelp) help.emplace_back(line);
      } else {
        std::string_view shortest = kShortHelp[std::size(kShortHelp) - 1];
        for (std::string_view line : kShortHelp) {
          if (line.size() <= width) {
            shortest = line;
            break;
          }
        }
        help.push_back(FitToColumns(shortest, encoding, width));
      }
    };
    setHelp();
    std::vector<std::string> below;  // notice, question, typed path
    for (std::string& line : Wrap(notice_, encoding, width)) below.push_back("\x1b[1m" + line + "\x1b[0m");
    if (pending_) {
      below.push_back(FitTailToColumns(*pending_, encoding, width));
      for (std::string& line : Wrap(kConfirm, encoding, width)) below.push_back("\x1b[1m" + line + "\x1b[0m");
    }
    if (!typed_.empty()) {
      below.push_back("Path: " + FitTailToColumns(typed_, encoding, width > 6 ? width - 6 : 0));
    }
    bool statusLine = true;
    auto listRows = [&] {
      return rows - static_cast<int>(header.size() + help.size() + below.size()) - (statusLine ? 1 : 0);
    };
    // On a short screen the spacing goes first, then the long help, then the position line.
    if (listRows() < 1) header = {header[0], header[2]};
    if (listRows() < 1 && wideHelp) wideHelp = false, setHelp();
    if (listRows() < 1) statusLine = false;
    listRows_ = std::max(1, listRows());

    const int count = static_cast<int>(entries_.size());
    if (selected_ < top_) top_ = selected_;
    if (selected_ >= top_ + listRows_) top_ = selected_ - listRows_ + 1;
    std::vector<std::string> lines = header;
    for (int i = top_; i < count && i < top_ + listRows_; ++i)
      lines.push_back(EntryLine(static_cast<size_t>(i), width));
    if (count == 0) lines.push_back(FitToColumns("  (no sub-folders)", encoding, width));
    if (statusLine) {
      lines.push_back(count > listRows_
                          ? FitToColumns("  " + std::to_string(selected_ + 1) + "/" + std::to_string(count),
                                         encoding, width)
                          : "");
    }
    lines.insert(lines.end(), help.begin(), help.end());
    lines.insert(lines.end(), below.begin(), below.end());
    if (lines.size() > static_cast<size_t>(rows)) lines.resize(static_cast<size_t>(rows));

    std::string screen = "\x1b[H\x1b[2J";
    for (size_t i = 0; i < lines.size(); ++i) screen += (i ? "\r\n" : "") + lines[i];
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

  // Reads one byte; kClosed at end of input or error, kByteTimeout when
  // nothing came within `timeoutMs`, kByteResized when the terminal was
  // resized during an endless wait (a negative timeout).
  int ReadByte(int timeoutMs) {
    if (pushedBack_ >= 0) return std::exchange(pushedBack_, -1);
    pollfd p{fd_, POLLIN, 0};
    const timespec timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000000L};
    for (;;) {
      // The resize signal is let through only while waiting here.
      int r = ppoll(&p, 1, timeoutMs < 0 ? nullptr : &timeout, &waitMask_);
      if (r < 0 && errno == EINTR) {
        if (timeoutMs < 0) return kByteResized;
        continue;
      }
      if (r == 0) return kByteTimeout;
      if (r < 0) return kClosed;
      unsigned char c;
      ssize_t n = read(fd_, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      return n == 1 ? c : kClosed;
    }
  }

  int ReadKey() {
    const int c = ReadByte(-1);
    if (c == kByteResized) return kResize;
    if (c < 0) return kClosed;
    if (c == 0x03) return kInterrupt;  // Ctrl-C
    if (c != 0x1B) return c;
    const int next = ReadByte(50);
    if (next == 0x1B) pushedBack_ = next;  // Esc, then another key that starts with Esc
    if (next == kByteTimeout || next == 0x1B) return kEscape;
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
    if (seq == "H" || seq == "1~" || seq == "7~") return kHome;
    if (seq == "F" || seq == "4~" || seq == "8~") return kEndKey;
    return kNone;
  }

  static constexpr signed char kUnknown = -1, kNo = 0, kYes = 1;

  int fd_;
  const Console& console_;
  const FolderCheck& holdsGameData_;
  const sigset_t& waitMask_;
  std::string workingFolder_;
  std::string current_;
  std::vector<std::string> entries_;
  std::vector<signed char> marks_;  // whether each entry holds game data, found out when first shown
  int selected_ = 0;
  int top_ = 0;
  int listRows_ = 1;
  std::string typed_;
  std::optional<Completion> completion_;
  std::optional<std::string> pending_;  // a folder without game data, waiting for y
  std::string notice_;
  int pushedBack_ = -1;
};

}  // namespace

std::optional<std::string> ChooseGameFolder(const Console& console, const FolderCheck& holdsGameData) {
  posix::RawTerminal terminal;
  const int fd = terminal.Fd();
  if (fd < 0) return std::nullopt;
  gSavedTermios = terminal.Saved();
  gTtyFd = fd;
  struct sigaction restore {};
  restore.sa_handler = RestoreAndReraise;
  sigemptyset(&restore.sa_mask);
  struct sigaction saved[std::size(kRestoredSignals)];
  for (size_t i = 0; i < std::size(kRestoredSignals); ++i)
    sigaction(kRestoredSignals[i], &restore, &saved[i]);

  // The resize signal stays blocked but for the wait for a key, so it can
  // neither interrupt a redraw nor be missed between the redraw and the wait.
  struct sigaction resize {
  }, savedResize{};
  resize.sa_handler = OnResize;
  sigemptyset(&resize.sa_mask);
  sigset_t winch, savedMask;
  sigemptyset(&winch);
  sigaddset(&winch, SIGWINCH);
  pthread_sigmask(SIG_BLOCK, &winch, &savedMask);
  sigaction(SIGWINCH, &resize, &savedResize);
  sigset_t waitMask = savedMask;
  sigdelset(&waitMask, SIGWINCH);

  static constexpr char kEnterScreen[] = "\x1b[?1049h\x1b[?25l";
  ssize_t ignored = write(fd, kEnterScreen, sizeof kEnterScreen - 1);
  (void)ignored;

  std::optional<std::string> chosen = Chooser(fd, console, holdsGameData, waitMask).Run();

  RestoreTerminal();
  sigaction(SIGWINCH, &savedResize, nullptr);
  pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);
  for (size_t i = 0; i < std::size(kRestoredSignals); ++i) sigaction(kRestoredSignals[i], &saved[i], nullptr);
  gTtyFd = -1;
  return chosen;
}

}  // namespace platform
