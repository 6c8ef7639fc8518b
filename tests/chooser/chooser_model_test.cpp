// The folder chooser's behaviour and layout on a made-up folder tree: keys
// in, the lines of the screen out.
#include "chooser/chooser_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "chooser/chooser_keys.h"

namespace {

namespace key = chooser::key;
using base::TerminalEncoding;
using chooser::ChooserModel;
using Outcome = chooser::ChooserModel::Outcome;

constexpr std::string_view kUp = "\x1b[A";

// A folder tree given as its folders' absolute paths, and the folders among
// them that hold game data.
struct Tree {
  std::set<std::string> folders;
  std::set<std::string> gameData;

  // `path` with ".", ".." and repeated separators worked out; empty when it
  // is not absolute or names no folder of the tree.
  std::string Canonical(const std::string& path) const {
    if (path.empty() || path[0] != '/') return {};
    std::vector<std::string> parts;
    for (size_t at = 1; at <= path.size();) {
      size_t end = std::min(path.find('/', at), path.size());
      const std::string part = path.substr(at, end - at);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      at = end + 1;
    }
    std::string result;
    for (const std::string& part : parts) result += "/" + part;
    if (result.empty()) result = "/";
    return folders.count(result) ? result : std::string();
  }

  // Listed in reverse order: the chooser sorts.
  std::vector<std::string> SubFolders(const std::string& path) const {
    const std::string folder = Canonical(path);
    std::vector<std::string> names;
    if (folder.empty()) return names;
    const std::string prefix = folder == "/" ? "/" : folder + "/";
    for (const std::string& f : folders) {
      if (f.size() > prefix.size() && f.rfind(prefix, 0) == 0 &&
          f.find('/', prefix.size()) == std::string::npos)
        names.push_back(f.substr(prefix.size()));
    }
    std::reverse(names.begin(), names.end());
    return names;
  }
};

// /home/me with a few folders; "game" and "pics" hold game data.
Tree SampleTree() {
  Tree t;
  for (const char* f : {"/", "/home", "/home/me", "/home/me/.hidden", "/home/me/alpha", "/home/me/beta",
                        "/home/me/beta/inner", "/home/me/bravo", "/home/me/game", "/home/me/pics"}) {
    t.folders.insert(f);
  }
  t.gameData = {"/home/me/game/", "/home/me/pics/"};
  return t;
}

struct Chooser {
  explicit Chooser(const Tree& tree, bool checked = true, TerminalEncoding encoding = TerminalEncoding::kUtf8,
                   std::string workingFolder = "/home/me")
      : tree_(tree), model(System(checked, encoding, std::move(workingFolder))) {}

  chooser::ChooserSystem System(bool checked, TerminalEncoding encoding, std::string workingFolder) {
    chooser::ChooserSystem s;
    s.subFolders = [this](const std::string& path) { return tree_.SubFolders(path); };
    s.canonicalFolder = [this](const std::string& path) { return tree_.Canonical(path); };
    s.workingFolder = std::move(workingFolder);
    s.homeFolder = "/home/me";
    if (checked)
      s.holdsGameData = [this](const std::string& folder) { return tree_.gameData.count(folder) > 0; };
    s.encoding = encoding;
    s.title = "Choose";
    return s;
  }

  // Presses the keys of `keys`, an escape sequence as one key; the outcome of the last.
  Outcome Type(std::string_view keys) {
    std::deque<int> bytes(keys.begin(), keys.end());
    for (int& b : bytes) b &= 0xFF;
    chooser::KeyReader reader([&](int) {
      if (bytes.empty()) return chooser::byte_read::kTimedOut;
      const int b = bytes.front();
      bytes.pop_front();
      return b;
    });
    Outcome last = Outcome::kOpen;
    while (!bytes.empty()) last = model.Press(reader.Next());
    return last;
  }

  std::vector<std::string> Screen(int rows = 30, int columns = 120) { return model.Screen(rows, columns); }

  // The whole screen as one text, lines ended by '\n'.
  std::string Text(int rows = 30, int columns = 120) {
    std::string text;
    for (const std::string& line : Screen(rows, columns)) text += line + "\n";
    return text;
  }

  // The highlighted line without its highlight.
  std::string Highlighted(int rows = 30, int columns = 120) {
    for (const std::string& line : Screen(rows, columns)) {
      if (line.starts_with("\x1b[7m")) return line.substr(4, line.size() - 8);
    }
    return {};
  }

  const Tree& tree_;
  ChooserModel model;
};

// `line` without its escape sequences.
std::string Plain(std::string_view line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '\x1b') {
      while (i < line.size() && !(line[i] >= 0x40 && line[i] <= 0x7E && line[i] != '[')) ++i;
      continue;
    }
    out.push_back(line[i]);
  }
  return out;
}

TEST(ChooserModel, TheFirstScreenListsTheWorkingFolderSortedWithMarksAndTheKeyHelp) {
  const Tree tree = SampleTree();
  Chooser c(tree);
  EXPECT_EQ(c.Screen(), (std::vector<std::string>{
                            "Choose",
                            "",
                            "/home/me",
                            "",
                            "\x1b[7m> ../\x1b[0m",
                            "  .hidden/",
                            "  alpha/",
                            "  beta/",
                            "  bravo/",
                            "  game/  [game data]",
                            "  pics/  [game data]",
                            "",
                            "Up/Down/PgUp/PgDn/Home/End: move   Enter/Right: open   Left/Backspace: parent",
                            "Space: choose the highlighted folder (on ../: the folder shown)   Esc: cancel",
                            "Or type a path (Tab completes) and press Enter.   [game data]: holds the game",
                        }));
  // Without a check nothing is marked.
  Chooser unchecked(tree, false);
  EXPECT_EQ(unchecked.Text().find("[game data]\n"), std::string::npos);
}

TEST(ChooserModel, ArrowsHomeEndAndPagingMoveTheHighlightAndTheListingScrollsWithIt) {
  Tree tree;
  tree.folders = {"/", "/many"};
  for (int i = 0; i < 40; ++i) tree.folders.insert("/many/d" + std::to_string(100 + i));
  Chooser c(tree, true, TerminalEncoding::kUtf8, "/many");
  // 10 rows: 4 of header, 3 of help, the position line, 2 for the listing.
  auto position = [&] { return Plain(c.Screen(10)[6]); };
  EXPECT_EQ(position(), "  1/41");
  c.Type("\x1b[B\x1b[B\x1b[B");
  EXPECT_EQ(c.Highlighted(10), "> d102/");
  EXPECT_EQ(position(), "  4/41");
  c.Type(kUp);
  EXPECT_EQ(c.Highlighted(10), "> d101/");
  c.Type("\x1b[6~");  // a page of two
  EXPECT_EQ(c.Highlighted(10), "> d103/");
  c.Type("\x1b[5~\x1b[5~\x1b[5~");
  EXPECT_EQ(c.Highlighted(10), "> ../");
  c.Type("\x1b[F");
  EXPECT_EQ(c.Highlighted(10), "> d139/");
  EXPECT_EQ(position(), "  41/41");
  c.Type("\x1b[B\x1b[6~");  // nothing below the last
  EXPECT_EQ(c.Highlighted(10), "> d139/");
  c.Type("\x1b[H" + std::string(kUp));
  EXPECT_EQ(c.Highlighted(10), "> ../");
  // A taller window: the page is longer.
  c.Type("\x1b[6~");
  c.Screen(30);
  c.Type("\x1b[6~");
  EXPECT_EQ(c.Highlighted(30), "> d123/");
}

TEST(ChooserModel, OpeningAFolderAndGoingBackKeepsTheHighlightOnTheFolderLeft) {
  const Tree tree = SampleTree();
  Chooser c(tree);
  c.Type("\x1b[B\x1b[B\x1b[B\r");  // beta
  EXPECT_EQ(c.Screen()[2], "/home/me/beta");
  EXPECT_EQ(c.Highlighted(), "> ../");
  c.Type("\x1b[D");
  EXPECT_EQ(c.Screen()[2], "/home/me");
  EXPECT_EQ(c.Highlighted(), "> beta/");
  c.Type("\x1b[C\x1b[B\n");  // Right opens too, Enter as a line feed too
  EXPECT_EQ(c.Screen()[2], "/home/me/beta/inner");
  c.Type("\x7f\x08");  // Backspace, either code
  EXPECT_EQ(c.Highlighted(), "> beta/");
  c.Type("\x1b[A\x1b[A\x1b[A\x1b[A\r");  // ".." opens the parent
  EXPECT_EQ(c.Screen()[2], "/home");
  c.Type("\x1b[D\x1b[D");  // the root has no parent
  EXPECT_EQ(c.Screen()[2], "/");
  EXPECT_EQ(c.Highlighted(), "> home/");
}

TEST(ChooserModel, TabCompletesTheTypedNameAndCyclesThroughSeveral) {
  const Tree tree = SampleTree();
  Chooser c(tree);
  c.Type("b\t");
  EXPECT_EQ(c.Screen().back(), "Path: beta/");
  c.Type("\t");
  EXPECT_EQ(c.Screen().back(), "Path: bravo/");
  c.Type("\t");
  EXPECT_EQ(c.Screen().back(), "Path: beta/");
  // A single match completes, and the next Tab goes on inside it.
  c.Type(
      "\x7f\x7f\x7f\x7f\x7f"
      "alp\t\t");
  EXPECT_EQ(c.Screen().end()[-2], "\x1b[1mNo folder name to complete.\x1b[0m");
  EXPECT_EQ(c.Screen().back(), "Path: alpha/");
  c.Type(
      "\x15"
      "beta/\t");
  EXPECT_EQ(c.Screen().back(), "Path: beta/inner/");
  // A Tab with nothing typed does nothing; hidden folders are completed
  // only from a name that starts with a dot.
  c.Type("\x15\t");
  EXPECT_EQ(c.Text().find("Path:"), std::string::npos);
  EXPECT_EQ(c.Text().find("No folder name"), std::string::npos);
  c.Type(".\t");
  EXPECT_EQ(c.Screen().back(), "Path: .hidden/");
  c.Type("\x15~/ga\t");
  EXPECT_EQ(c.Screen().back(), "Path: ~/game/");
  c.Type("\x15/home/m\t");
  EXPECT_EQ(c.Screen().back(), "Path: /home/me/");
}

TEST(ChooserModel, TypedPathsAreHomeRelativeOrAbsoluteAndWhatIsNoFolderStaysWithANotice) {
  const Tree tree = SampleTree();
  for (const auto& [typed, chosen] : std::vector<std::pair<std::string, std::string>>{
           {"~", "/home/me/"},
           {"~/beta/inner", "/home/me/beta/inner/"},
           {"alpha/../beta/", "/home/me/beta/"},
           {"/home", "/home/"},
       }) {
    Chooser c(tree, false);
    EXPECT_EQ(c.Type(typed + "\r"), Outcome::kChosen) << typed;
    EXPECT_EQ(c.model.Chosen(), chosen) << typed;
  }
  Chooser c(tree, false);
  EXPECT_EQ(c.Type("missing\r"), Outcome::kOpen);
  EXPECT_EQ(c.Screen().end()[-2], "\x1b[1mNot a folder: missing\x1b[0m");
  EXPECT_EQ(c.Screen().back(), "Path: missing");
  c.Type("\x7f");  // the next key takes the notice away
  EXPECT_EQ(c.Screen().back(), "Path: missin");
  EXPECT_EQ(c.Text().find("Not a folder"), std::string::npos);
}

TEST(ChooserModel, EscClearsWhatIsTypedAndOtherwiseCancels) {
  const Tree tree = SampleTree();
  Chooser c(tree);
  EXPECT_EQ(c.Type("abc\x1b"), Outcome::kOpen);
  EXPECT_EQ(c.Text().find("Path:"), std::string::npos);
  EXPECT_EQ(c.Type("x\x15"), Outcome::kOpen);  // Ctrl-U clears too
  EXPECT_EQ(c.Text().find("Path:"), std::string::npos);
  EXPECT_EQ(c.Type("\x1b"), Outcome::kCancelled);
  // Keys the chooser has no use for change nothing.
  Chooser d(tree);
  const std::vector<std::string> before = d.Screen();
  d.Type("\x1b[3~\x1b[2~\x01");
  EXPECT_EQ(d.Screen(), before);
}

TEST(ChooserModel, BackspaceTakesAWholeCharacterOfTheTerminalsCodeset) {
  const Tree tree = SampleTree();
  Chooser utf8(tree);
  utf8.Type("a\xE6\x97\xA5\x7f");
  EXPECT_EQ(utf8.Screen().back(), "Path: a");
  // Shift-JIS bytes are typed and taken back one by one.
  Chooser sjis(tree, true, TerminalEncoding::kShiftJis);
  sjis.Type("a\x93\xfa\x7f");
  EXPECT_NE(sjis.Screen().back(), "Path: a");
  sjis.Type("\x7f");
  EXPECT_EQ(sjis.Screen().back(), "Path: a");
}

TEST(ChooserModel, MarkedFoldersAreChosenAtOnceOthersOnlyAfterYes) {
  const Tree tree = SampleTree();
  Chooser c(tree);
  c.Type("\x1b[F\x1b[A");
  EXPECT_EQ(c.Highlighted(), "> game/  [game data]");
  EXPECT_EQ(c.Type(" "), Outcome::kChosen);
  EXPECT_EQ(c.model.Chosen(), "/home/me/game/");

  Chooser d(tree);
  const std::string question =
      "\x1b[1mNo game data in this folder (no MES/*.SIO, no *.MOE). Convert anyway? [y/N]\x1b[0m";
  EXPECT_EQ(d.Type("\x1b[B\x1b[B "), Outcome::kOpen);  // alpha
  EXPECT_EQ(d.Screen().end()[-2], "/home/me/alpha");
  EXPECT_EQ(d.Screen().back(), question);
  EXPECT_EQ(d.Type("\x1b"), Outcome::kOpen) << "anything but y goes back";
  EXPECT_EQ(d.Text().find("Convert anyway"), std::string::npos);
  EXPECT_EQ(d.Type(" n"), Outcome::kOpen);
  EXPECT_EQ(d.Type(" Y"), Outcome::kChosen);
  EXPECT_EQ(d.model.Chosen(), "/home/me/alpha/");

  // Space on ../ offers the folder shown, a typed path is asked about too.
  Chooser e(tree);
  EXPECT_EQ(e.Type(" "), Outcome::kOpen);
  EXPECT_EQ(e.Screen().end()[-2], "/home/me");
  EXPECT_EQ(e.Type("y"), Outcome::kChosen);
  EXPECT_EQ(e.model.Chosen(), "/home/me/");
  Chooser f(tree);
  EXPECT_EQ(f.Type("pics\r"), Outcome::kChosen);
  EXPECT_EQ(f.model.Chosen(), "/home/me/pics/");
  Chooser typed(tree);
  EXPECT_EQ(typed.Type("beta\rn"), Outcome::kOpen);
  EXPECT_EQ(typed.Screen().back(), "Path: beta") << "the path stays typed";
  // Without a check nothing is asked.
  Chooser g(tree, false);
  EXPECT_EQ(g.Type("\x1b[B\x1b[B "), Outcome::kChosen);
}

TEST(ChooserModel, TheHelpShortensTheMarksGoAndLongNamesAndPathsAreCutToNarrowWindows) {
  Tree tree = SampleTree();
  const std::string deep = "/home/me/alpha/a_folder_with_a_long_name_that_goes_on";
  tree.folders.insert(deep);
  tree.folders.insert(deep + "/x");
  tree.gameData.insert(deep + "/x/");
  Chooser c(tree, true, TerminalEncoding::kUtf8, deep);
  auto has = [&](int columns, std::string_view line) {
    const std::vector<std::string> screen = c.Screen(30, columns);
    return std::find(screen.begin(), screen.end(), line) != screen.end();
  };
  EXPECT_TRUE(has(78, "Space: choose the highlighted folder (on ../: the folder shown)   Esc: cancel"));
  EXPECT_TRUE(has(77, "Space:choose Enter:open Esc:quit"));
  EXPECT_TRUE(has(33, "Space:choose Enter:open Esc:quit"));
  EXPECT_TRUE(has(32, "Spc:choose Ent:open Esc:quit"));
  EXPECT_TRUE(has(10, "Spc:choos"));
  EXPECT_TRUE(has(30, "...h_a_long_name_that_goes_on"));
  EXPECT_TRUE(has(18, "  x/  [game data]"));
  EXPECT_TRUE(has(17, "  x/"));
  EXPECT_TRUE(has(2, "C"));
  c.Type("\x1b[A\x1b[D");  // back in alpha, the long name highlighted
  EXPECT_EQ(c.Highlighted(30, 20), "> a_folder_with_a_l");
}

TEST(ChooserModel, AShortWindowDropsTheSpacingThenTheLongHelpThenThePositionButKeepsALine) {
  Tree tree = SampleTree();
  Chooser c(tree);
  EXPECT_EQ(c.Screen(8).size(), 8u);
  EXPECT_EQ(c.Screen(8)[1], "/home/me") << "the spacing goes first";
  EXPECT_EQ(c.Screen(6), (std::vector<std::string>{"Choose", "/home/me", "\x1b[7m> ../\x1b[0m", "  .hidden/",
                                                   "  1/7", "Space:choose Enter:open Esc:quit"}));
  EXPECT_EQ(c.Screen(3), (std::vector<std::string>{"Choose", "/home/me", "\x1b[7m> ../\x1b[0m"}));
  EXPECT_EQ(c.Screen(1), std::vector<std::string>{"Choose"});
}

TEST(ChooserModel, NoLineIsWiderThanTheWindowLessOneColumnNorAreThereMoreLinesThanRows) {
  Tree tree = SampleTree();
  // Double-width names and title, a long name, a notice, a question, a typed path.
  const std::string kanji = "\xE7\x94\xBB\xE5\x83\x8F";  // 画像
  tree.folders.insert("/home/me/" + kanji + kanji + kanji);
  tree.folders.insert("/home/me/alpha/" + std::string(150, 'n'));
  // The chooser's own lines in English, and in Japanese (double-width).
  chooser::ChooserTexts japanese;
  japanese.help = {"↑↓/PgUp/PgDn/Home/End: 移動   Enter/→: 開く   ←/Backspace: 親フォルダ",
                   "Space: 選んだフォルダに決定 (../ では表示中のフォルダ)   Esc: 中止",
                   "パスを入力して Enter でも決定できます (Tab で補完).   [ゲームデータ]: ゲームあり"};
  japanese.shortHelp = {"Space:決定 Enter:開く Esc:中止", "Spc:決定 Ent:開く Esc:中止"};
  japanese.gameDataMark = "  [ゲームデータ]";
  japanese.confirm = "このフォルダにはゲームデータがありません. それでも変換しますか? [y/N]";
  japanese.pathLabel = "パス: ";
  japanese.notAFolder = "フォルダではありません: ";
  for (const chooser::ChooserTexts& texts : {chooser::ChooserTexts(), japanese}) {
    Chooser c(tree);
    c.model = ChooserModel([&] {
      chooser::ChooserSystem s =
          c.System(true, TerminalEncoding::kUtf8, "/home/me/alpha/" + std::string(150, 'n'));
      s.title = kanji + kanji + kanji + kanji;
      s.texts = texts;
      return s;
    }());
    auto columns = [](const std::string& line) {
      return base::TextColumns(Plain(line), TerminalEncoding::kUtf8);
    };
    for (std::string_view keys : {"", "\x1b[D", "\x1b[B\x1b[B ",
                                  "\x1b[B\x1b[B n"
                                  "missing"
                                  "\xE7\x94\xBB\r"}) {
      c.Type(keys);
      for (int width = 1; width <= 125; ++width) {
        for (int rows = 1; rows <= 32; ++rows) {
          const std::vector<std::string> screen = c.Screen(rows, width);
          ASSERT_LE(screen.size(), static_cast<size_t>(rows));
          for (const std::string& line : screen) {
            ASSERT_LE(columns(line), static_cast<size_t>(std::max(1, width - 1)))
                << width << "x" << rows << " after " << keys << ": " << line;
          }
        }
      }
    }
  }
}

}  // namespace
