#include "chooser/chooser_model.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>

#include "chooser/chooser_keys.h"

namespace chooser {
namespace {

constexpr std::string_view kHighlight = "\x1b[7m", kBold = "\x1b[1m", kPlain = "\x1b[0m";

// `text` in lines of at most `columns` columns, broken after a space where
// one is near.
std::vector<std::string> Wrap(std::string_view text, base::TerminalEncoding encoding, size_t columns) {
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

std::string Bold(std::string_view line) {
  return std::string(kBold) + std::string(line) + std::string(kPlain);
}

}  // namespace

ChooserModel::ChooserModel(ChooserSystem system) : system_(std::move(system)) {
  Enter(system_.workingFolder);
}

std::string ChooserModel::Join(const std::string& name) const {
  return current_.empty() || current_.back() == '/' ? current_ + name : current_ + "/" + name;
}

// "~" is the home folder; a relative path starts at the working folder.
std::string ChooserModel::Expand(const std::string& typed) const {
  if (typed == "~") return system_.homeFolder;
  if (typed.rfind("~/", 0) == 0) return system_.homeFolder + typed.substr(1);
  if (!typed.empty() && typed[0] == '/') return typed;
  return system_.workingFolder + "/" + typed;
}

std::vector<std::string> ChooserModel::SortedSubFolders(const std::string& folder) const {
  std::vector<std::string> names = system_.subFolders(folder);
  std::sort(names.begin(), names.end());
  return names;
}

void ChooserModel::Enter(const std::string& folder, const std::string& highlight) {
  std::string canonical = system_.canonicalFolder(folder);
  if (canonical.empty()) {
    notice_ = system_.texts.cannotOpen;
    return;
  }
  current_ = std::move(canonical);
  entries_ = SortedSubFolders(current_);
  if (current_ != "/") entries_.insert(entries_.begin(), "..");
  marks_.assign(entries_.size(), kUnknown);
  selected_ = 0;
  top_ = 0;
  if (auto it = std::find(entries_.begin(), entries_.end(), highlight);
      !highlight.empty() && it != entries_.end()) {
    selected_ = static_cast<int>(it - entries_.begin());
  }
}

void ChooserModel::EnterParent() {
  if (current_ == "/") return;
  const size_t slash = current_.rfind('/');
  const std::string cameFrom = current_.substr(slash + 1);
  Enter(slash == 0 ? "/" : current_.substr(0, slash), cameFrom);
}

// Chooses `folder` when it holds game data, otherwise asks first.
ChooserModel::Outcome ChooserModel::Offer(const std::string& folder) {
  const std::string withSeparator = folder + "/";
  if (!system_.holdsGameData || system_.holdsGameData(withSeparator)) {
    chosen_ = withSeparator;
    return Outcome::kChosen;
  }
  pending_ = folder;
  return Outcome::kOpen;
}

ChooserModel::Outcome ChooserModel::Press(int key) {
  if (pending_) {
    // Anything but y goes back to the chooser.
    const std::string folder = *std::exchange(pending_, std::nullopt);
    if (key != 'y' && key != 'Y') return Outcome::kOpen;
    chosen_ = folder + "/";
    return Outcome::kChosen;
  }
  if (key == key::kEscape && typed_.empty()) return Outcome::kCancelled;
  return Handle(key);
}

ChooserModel::Outcome ChooserModel::Handle(int key) {
  notice_.clear();
  if (key != '\t') completion_.reset();
  if (!typed_.empty()) {
    HandleTyping(key);
    if (key != '\r' && key != '\n') return Outcome::kOpen;
    std::string folder = system_.canonicalFolder(Expand(typed_));
    if (folder.empty()) {
      notice_ = system_.texts.notAFolder + typed_;
      return Outcome::kOpen;
    }
    return Offer(folder);
  }
  const int count = static_cast<int>(entries_.size());
  switch (key) {
    case key::kUp:
      if (selected_ > 0) --selected_;
      break;
    case key::kDown:
      if (selected_ + 1 < count) ++selected_;
      break;
    case key::kPageUp:
      selected_ = std::max(0, selected_ - listRows_);
      break;
    case key::kPageDown:
      selected_ = std::max(0, std::min(count - 1, selected_ + listRows_));
      break;
    case key::kHome:
      selected_ = 0;
      break;
    case key::kEnd:
      selected_ = std::max(0, count - 1);
      break;
    case '\r':
    case '\n':
    case key::kRight:
      if (count == 0) break;
      if (Highlighted() == "..") {
        EnterParent();
      } else {
        Enter(Join(Highlighted()));
      }
      break;
    case key::kLeft:
    case 0x7F:
    case 0x08:
      EnterParent();
      break;
    case ' ': {
      if (count == 0 || Highlighted() == "..") return Offer(current_);
      std::string folder = system_.canonicalFolder(Join(Highlighted()));
      if (folder.empty()) {
        notice_ = system_.texts.cannotOpen;
        break;
      }
      return Offer(folder);
    }
    default:
      if (key > 0x20 && key != 0x7F) typed_.push_back(static_cast<char>(key));
      break;
  }
  return Outcome::kOpen;
}

// A key while a path is being typed; Enter is left to the caller.
void ChooserModel::HandleTyping(int key) {
  if (key == key::kEscape || key == 0x15) {  // Ctrl-U clears the line too
    typed_.clear();
  } else if (key == 0x7F || key == 0x08) {
    // One character: a UTF-8 character may take several bytes.
    const bool utf8 = system_.encoding == base::TerminalEncoding::kUtf8;
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
void ChooserModel::Complete() {
  if (!completion_) {
    const size_t slash = typed_.rfind('/');
    Completion c;
    c.base = slash == std::string::npos ? std::string() : typed_.substr(0, slash + 1);
    const std::string prefix = typed_.substr(c.base.size());
    const std::string folder = c.base.empty() ? system_.workingFolder : Expand(c.base);
    for (const std::string& name : SortedSubFolders(folder)) {
      if (name.rfind(prefix, 0) != 0) continue;
      if (name[0] == '.' && (prefix.empty() || prefix[0] != '.')) continue;
      c.names.push_back(name);
    }
    if (c.names.empty()) {
      notice_ = system_.texts.nothingToComplete;
      return;
    }
    completion_ = std::move(c);
  }
  typed_ = completion_->base + completion_->names[completion_->next] + "/";
  completion_->next = (completion_->next + 1) % completion_->names.size();
  // A single match is done: the next Tab completes inside it.
  if (completion_->names.size() == 1) completion_.reset();
}

bool ChooserModel::Marked(size_t i) {
  if (marks_[i] == kUnknown) {
    marks_[i] = entries_[i] != ".." && system_.holdsGameData && system_.holdsGameData(Join(entries_[i]) + "/")
                    ? kYes
                    : kNo;
  }
  return marks_[i] == kYes;
}

std::string ChooserModel::EntryLine(size_t i, size_t width) {
  const bool highlighted = static_cast<int>(i) == selected_;
  // In a window of one column even the cursor is cut.
  const std::string_view cursor = std::string_view(highlighted ? "> " : "  ").substr(0, width);
  std::string_view mark = Marked(i) ? std::string_view(system_.texts.gameDataMark) : "";
  const size_t markColumns = TextColumns(mark, system_.encoding);
  const size_t markWidth = width < cursor.size() + markColumns + 2 ? 0 : markColumns;
  if (markWidth == 0) mark = "";
  const size_t room = width > cursor.size() + markWidth ? width - cursor.size() - markWidth : 0;
  std::string line = std::string(cursor) + FitToColumns(Shown(entries_[i]) + "/", system_.encoding, room);
  line += mark;
  return highlighted ? std::string(kHighlight) + line + std::string(kPlain) : line;
}

std::vector<std::string> ChooserModel::Screen(int rows, int columns) {
  const size_t width = static_cast<size_t>(std::max(1, columns - 1));
  const base::TerminalEncoding encoding = system_.encoding;

  std::vector<std::string> header = {FitToColumns(system_.title, encoding, width), "",
                                     FitTailToColumns(Shown(current_), encoding, width), ""};
  const ChooserTexts& texts = system_.texts;
  bool wideHelp = true;
  for (const std::string& line : texts.help) wideHelp = wideHelp && TextColumns(line, encoding) <= width;
  std::vector<std::string> help;
  auto setHelp = [&] {
    help.clear();
    if (wideHelp) {
      for (const std::string& line : texts.help) help.emplace_back(line);
    } else if (!texts.shortHelp.empty()) {
      std::string_view shortest = texts.shortHelp.back();
      for (const std::string& line : texts.shortHelp) {
        if (TextColumns(line, encoding) <= width) {
          shortest = line;
          break;
        }
      }
      help.push_back(FitToColumns(shortest, encoding, width));
    }
  };
  setHelp();
  std::vector<std::string> below;  // notice, question, typed path
  for (const std::string& line : Wrap(notice_, encoding, width)) below.push_back(Bold(line));
  if (pending_) {
    below.push_back(FitTailToColumns(*pending_, encoding, width));
    for (const std::string& line : Wrap(texts.confirm, encoding, width)) below.push_back(Bold(line));
  }
  if (!typed_.empty()) {
    const std::string label = FitToColumns(texts.pathLabel, encoding, width);
    below.push_back(label + FitTailToColumns(typed_, encoding, width - TextColumns(label, encoding)));
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
  std::vector<std::string> lines = std::move(header);
  for (int i = top_; i < count && i < top_ + listRows_; ++i)
    lines.push_back(EntryLine(static_cast<size_t>(i), width));
  if (count == 0) lines.push_back(FitToColumns(texts.noSubFolders, encoding, width));
  if (statusLine) {
    lines.push_back(count > listRows_
                        ? FitToColumns("  " + std::to_string(selected_ + 1) + "/" + std::to_string(count),
                                       encoding, width)
                        : "");
  }
  lines.insert(lines.end(), help.begin(), help.end());
  lines.insert(lines.end(), below.begin(), below.end());
  const size_t most = static_cast<size_t>(std::max(0, rows));
  if (lines.size() > most) lines.resize(most);
  return lines;
}

}  // namespace chooser
