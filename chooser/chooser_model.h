#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_columns.h"

// The folder chooser apart from the terminal: keys (chooser/chooser_keys.h)
// go in, the lines of the screen come out. It reaches folders only through
// the functions it is given, so it runs as well on a made-up tree. Paths are
// absolute and separated by '/'.
namespace chooser {

// The chooser's own lines, in the screen's encoding; English unless the
// terminal gives them in the user's language.
struct ChooserTexts {
  // The key help when the screen is wide enough for all of it, and the
  // essential keys otherwise (the first that fits).
  std::vector<std::string> help = {
      "Up/Down/PgUp/PgDn/Home/End: move   Enter/Right: open   Left/Backspace: parent",
      "Space: choose the highlighted folder (on ../: the folder shown)   Esc: cancel",
      "Or type a path (Tab completes) and press Enter.   [game data]: holds the game",
  };
  std::vector<std::string> shortHelp = {"Space:choose Enter:open Esc:quit", "Spc:choose Ent:open Esc:quit"};
  std::string gameDataMark = "  [game data]";
  std::string confirm = "No game data in this folder (no MES/*.SIO, no *.MOE). Convert anyway? [y/N]";
  std::string pathLabel = "Path: ";
  std::string cannotOpen = "Cannot open that folder.";
  std::string notAFolder = "Not a folder: ";  // before the typed path
  std::string nothingToComplete = "No folder name to complete.";
  std::string noSubFolders = "  (no sub-folders)";
};

// What the chooser learns from the system.
struct ChooserSystem {
  // The names of the sub-folders of the folder at the absolute `path`, in
  // any order; none when it cannot be read.
  std::function<std::vector<std::string>(const std::string& path)> subFolders;
  // `path` made canonical (absolute, without ".", ".." or links, no
  // separator at the end); empty when it names no folder.
  std::function<std::string(const std::string& path)> canonicalFolder;
  std::string workingFolder;  // where the chooser starts, and relative paths
  std::string homeFolder;     // "~"
  // Marks folders that hold game data; empty: none is marked, none asked about.
  std::function<bool(const std::string& folder)> holdsGameData;
  base::TerminalEncoding encoding = base::TerminalEncoding::kUtf8;  // of the screen's text
  // A folder's name or path as the screen shows it: in its characters (a
  // raw Shift-JIS name too), control bytes and codes with no character as
  // \xNN. Unset: the bytes themselves.
  std::function<std::string(std::string_view)> shownName;
  std::string title;   // in that encoding
  ChooserTexts texts;  // in that encoding too
};

class ChooserModel {
 public:
  enum class Outcome { kOpen, kChosen, kCancelled };

  // Opens on the working folder.
  explicit ChooserModel(ChooserSystem system);

  // Takes one key (a byte or one of chooser::key's; the terminal handles
  // kClosed, kInterrupt and kResize). After kChosen, Chosen() holds the
  // folder with a separator appended.
  Outcome Press(int key);
  const std::string& Chosen() const { return chosen_; }

  // The lines of the screen for a terminal of `rows` by `columns`: never
  // more lines than rows, and one column left free on each line (some
  // terminals wrap as soon as the last one is written). Scrolls the listing
  // to keep the highlight in view; PgUp and PgDn move by the listing's
  // height last laid out.
  std::vector<std::string> Screen(int rows, int columns);

 private:
  struct Completion {
    std::string base;  // what was typed before the name being completed
    std::vector<std::string> names;
    size_t next = 0;
  };

  void Enter(const std::string& folder, const std::string& highlight = {});
  void EnterParent();
  std::string Join(const std::string& name) const;
  std::string Expand(const std::string& typed) const;
  std::vector<std::string> SortedSubFolders(const std::string& folder) const;
  Outcome Offer(const std::string& folder);
  Outcome Handle(int key);
  void HandleTyping(int key);
  void Complete();
  const std::string& Highlighted() const { return entries_[static_cast<size_t>(selected_)]; }
  bool Marked(size_t i);
  std::string EntryLine(size_t i, size_t width);
  std::string Shown(const std::string& name) const {
    return system_.shownName ? system_.shownName(name) : name;
  }

  static constexpr signed char kUnknown = -1, kNo = 0, kYes = 1;

  ChooserSystem system_;
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
  std::string chosen_;
};

}  // namespace chooser
