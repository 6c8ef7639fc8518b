// The interactive converter under a pseudo-terminal: the chooser's checks
// and keys, interruption, narrow windows and the terminal's codeset.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "driver/messages.h"
#include "run_converter.h"
#include "sample/sample_game.h"
#include "test_support.h"
#include "verified_archive.h"

namespace {

namespace fs = std::filesystem;
using namespace driver::text;
using archive::ArchiveContents;
using pty_io::kChooserTitleSjis;
using pty_io::kConfirmQuestion;
using pty_io::kPressAKeySjis;
using test_support::ReadFile;
using test_support::TempDir;
using test_support::TerminalSession;

// A converter with its DATA folder, and a sample game in games/game.
struct Installed {
  explicit Installed(double benchScale = 0) {
    exe = test_support::InstallConverter(bin.Path());
    tools::SampleOptions options;
    options.benchScale = benchScale;
    std::string error;
    EXPECT_TRUE(tools::WriteSampleGame(games.Path() / "game", bin.Path() / "DATA", options, report, error))
        << error;
    game = (games.Path() / "game").string();
  }
  fs::path Archive() const { return fs::canonical(bin.Path()) / "DAV299.AVD"; }
  std::string ArchiveText() const {
    std::vector<uint8_t> bytes = ReadFile(Archive());
    return std::string(bytes.begin(), bytes.end());
  }

  TempDir bin, games;
  std::string exe, game;
  tools::SampleReport report;
};

// Starts the chooser in `folder` as its working folder.
std::function<void()> In(const fs::path& folder) {
  return [folder] {
    if (chdir(folder.c_str()) != 0) _exit(126);
  };
}

// Columns of terminal text in UTF-8 or plain ASCII: the characters of three
// bytes that the converter writes are all double-width.
size_t Columns(std::string_view text) {
  size_t columns = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b & 0xC0) == 0x80) continue;
    columns += b >= 0xE0 ? 2 : 1;
  }
  return columns;
}

// `text` without its escape sequences (ESC [ ... final byte).
std::string WithoutEscapes(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\x1b' && i + 1 < text.size() && text[i + 1] == '[') {
      i += 2;
      while (i < text.size() && !(text[i] >= 0x40 && text[i] <= 0x7E)) ++i;
      continue;
    }
    out.push_back(text[i]);
  }
  return out;
}

TEST(TerminalRun, AFolderWithoutGameDataIsConvertedOnlyAfterYes) {
  Installed s;
  TempDir empty;
  empty.Write("notes.txt", "no game here");
  s.bin.Write("DAV299.AVD", "an earlier archive");
  {
    TerminalSession t(s.exe);
    ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
    t.Type(empty.Path().string() + "\r");
    ASSERT_TRUE(t.WaitFor(kConfirmQuestion));
    t.Type("n");
    ASSERT_TRUE(t.WaitFor(kChooserTitleSjis)) << "back in the chooser";
    t.Type("\x1b");  // clears the path still typed
    ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
    t.Type("\x1b");  // cancels
    ASSERT_TRUE(t.WaitFor(std::string(kCancelled) + std::string(kPressAKey)));
    t.Type("q");
    EXPECT_EQ(t.Finish(), 'q');
    EXPECT_EQ(s.ArchiveText(), "an earlier archive");
  }
  TerminalSession t(s.exe);
  ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
  t.Type(empty.Path().string() + "\r");
  ASSERT_TRUE(t.WaitFor(kConfirmQuestion));
  t.Type("y");
  ASSERT_TRUE(t.WaitFor(kPressAKeySjis));
  t.Type("a");
  EXPECT_EQ(t.Finish(), 'a');
  ArchiveContents a = test_support::ReadVerifiedArchive(s.Archive());
  ASSERT_TRUE(a.valid);
  EXPECT_EQ(a.members.size(), static_cast<size_t>(s.report.dataFiles));
}

TEST(TerminalRun, SpaceChoosesTheHighlightedFolderWhichIsMarkedAsGameData) {
  Installed s;
  fs::create_directory(s.games.Path() / "aaa");
  TerminalSession t(s.exe, {}, In(s.games.Path()));
  ASSERT_TRUE(t.WaitFor("game/  [game data]"));
  t.Type("\x1b[B\x1b[B ");  // "..", "aaa", then "game"
  ASSERT_TRUE(t.WaitFor(kPressAKeySjis));
  t.Type("a");
  EXPECT_EQ(t.Finish(), 'a');
  EXPECT_EQ(t.Output().find("aaa/  [game data]"), std::string::npos);
  EXPECT_EQ(t.Output().find(kConfirmQuestion), std::string::npos);
  ArchiveContents a = test_support::ReadVerifiedArchive(s.Archive());
  ASSERT_TRUE(a.valid);
  EXPECT_EQ(a.members.size(),
            static_cast<size_t>(s.report.scenarios + s.report.pictures + s.report.dataFiles));
}

TEST(TerminalRun, ChooserKeysHomeEndTabEscapeAndTheParentKeepingTheHighlight) {
  Installed s;
  TempDir top;
  for (const char* folder : {"alpha", "beta/inner", "bravo"}) fs::create_directories(top.Path() / folder);
  // 10 rows leave two for the listing of four: the position shows.
  pty_io::TerminalSetup setup;
  setup.rows = 10;
  TerminalSession t(s.exe, setup, In(top.Path()));
  ASSERT_TRUE(t.WaitFor("1/4"));
  t.Type("\x1b[F");  // End
  ASSERT_TRUE(t.WaitFor("4/4"));
  t.Type("\x1b[H");  // Home
  ASSERT_TRUE(t.WaitFor("1/4"));
  t.Type("b\t");
  ASSERT_TRUE(t.WaitFor("Path: beta/"));
  t.Type("\t");
  ASSERT_TRUE(t.WaitFor("Path: bravo/"));
  t.Type("\x1b");  // clears the path
  ASSERT_TRUE(t.WaitFor("1/4"));
  t.Type("\x1b[B\x1b[B\r");  // open beta
  ASSERT_TRUE(t.WaitFor(fs::canonical(top.Path()).string() + "/beta\r\n"));
  t.Type("\x1b[D");  // back to the parent, beta still highlighted
  ASSERT_TRUE(t.WaitFor("\x1b[7m> beta/"));
  t.Resize(10, 40);
  ASSERT_TRUE(t.WaitFor("Space:choose Enter:open Esc:quit")) << "redrawn for the narrow window";
  t.Type("\x1b");  // nothing typed: cancels
  ASSERT_TRUE(t.WaitFor(std::string(kCancelled) + std::string(kPressAKey)));
  t.Type("q");
  EXPECT_EQ(t.Finish(), 'q');
}

// Interrupts a conversion with an earlier archive in place, where the
// converter stops itself at `point` (test_support::StopAt).
void ExpectCleanInterruption(const std::string& point,
                             const std::function<void(const fs::path&)>& whenStopped) {
  Installed s;
  s.bin.Write("DAV299.AVD", "an earlier archive");
  TerminalSession t(s.exe, {}, test_support::StopAt(point));
  ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
  t.Type(s.game + "\r");
  ASSERT_TRUE(t.WaitForStop()) << point;
  whenStopped(fs::canonical(s.bin.Path()));
  t.SignalStopped(SIGINT);
  EXPECT_EQ(t.Finish(), 128 + SIGINT);
  EXPECT_FALSE(fs::exists(s.bin.Path() / "tmp.dat"));
  EXPECT_FALSE(fs::exists(s.bin.Path() / "DAV299.AVD.part"));
  EXPECT_EQ(s.ArchiveText(), "an earlier archive");
  // The progress line is erased before the one line, and no key is waited for.
  EXPECT_TRUE(t.Output().ends_with("\r\x1b[K" + std::string(kInterrupted)))
      << t.Output().substr(t.Output().size() - std::min<size_t>(t.Output().size(), 200));
  EXPECT_EQ(t.Output().find(kFinished), std::string::npos);
}

TEST(TerminalRun, CtrlCDuringThePicturesRemovesTheSpoolAndKeepsTheEarlierArchive) {
  ExpectCleanInterruption("open .MOE 2", [](const fs::path& folder) {
    EXPECT_TRUE(fs::exists(folder / "tmp.dat"));
    EXPECT_FALSE(fs::exists(folder / "DAV299.AVD.part"));
  });
}

TEST(TerminalRun, CtrlCDuringTheFinalWriteRemovesTheTemporaryArchiveToo) {
  ExpectCleanInterruption("create DAV299.AVD.part", [](const fs::path& folder) {
    EXPECT_TRUE(fs::exists(folder / "DAV299.AVD.part"));
  });
}

// Between the rename and the spool's removal (the spool's second unlink;
// the first clears the way when it is created) the archive is in place.
TEST(TerminalRun, CtrlCAfterTheRenameSaysTheArchiveWasWritten) {
  Installed s;
  TerminalSession t(s.exe, {}, test_support::StopAt("unlink tmp.dat 2"));
  ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
  t.Type(s.game + "\r");
  ASSERT_TRUE(t.WaitForStop());
  EXPECT_TRUE(fs::exists(s.bin.Path() / "tmp.dat"));
  t.SignalStopped(SIGINT);
  EXPECT_EQ(t.Finish(), 128 + SIGINT);
  EXPECT_TRUE(t.Output().ends_with(kInterruptedAfterWriting)) << t.Output();
  EXPECT_FALSE(fs::exists(s.bin.Path() / "tmp.dat"));
  EXPECT_FALSE(fs::exists(s.bin.Path() / "DAV299.AVD.part"));
  EXPECT_TRUE(archive::ArchiveContents(ReadFile(s.Archive())).valid);
}

// The second raw mode is the key wait's (the chooser's is the first); the
// converter stops as it reads the key.
TEST(TerminalRun, ASignalDuringTheKeyWaitPutsTheTerminalBack) {
  Installed s;
  TerminalSession t(s.exe, {}, test_support::StopAt("key - 2"));
  ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
  t.Type(s.game + "\r");
  ASSERT_TRUE(t.WaitFor(kPressAKey));
  ASSERT_TRUE(t.WaitForStop());
  // The terminal's mode, read through a slave of our own, closed again so
  // that the end of the converter still ends the terminal.
  const auto canonical = [&t] {
    const int terminal = open(ptsname(t.Master()), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios mode{};
    const bool read = terminal >= 0 && tcgetattr(terminal, &mode) == 0;
    if (terminal >= 0) close(terminal);
    return read && (mode.c_lflag & ICANON) != 0;
  };
  EXPECT_FALSE(canonical()) << "raw while waiting";
  t.SignalStopped(SIGTERM);
  EXPECT_EQ(t.Finish(), 128 + SIGTERM);
  EXPECT_TRUE(canonical()) << "put back";
}

TEST(TerminalRun, In30ColumnsNoLineIsWiderThanTheWindowAndTheProgressStaysOneLine) {
  Installed s;
  pty_io::TerminalSetup setup;
  setup.columns = 30;
  setup.lang.reset();  // UTF-8: double-width characters
  TerminalSession t(s.exe, setup, In(s.games.Path()));
  ASSERT_TRUE(t.WaitFor("game/"));
  t.Type("\x1b[B ");
  ASSERT_TRUE(t.WaitFor("\xE4\xBD\x95\xE3\x81\x8B"));  // 何か (キーを押してください)
  t.Type("a");
  ASSERT_EQ(t.Finish(), 'a');
  const std::string& out = t.Output();

  // The chooser: every line of every screen, and the key help is the short one.
  const size_t leave = out.find("\x1b[?1049l");
  ASSERT_NE(leave, std::string::npos);
  const std::string chooser = out.substr(0, leave);
  EXPECT_NE(chooser.find("Spc:choose Ent:open Esc:quit"), std::string::npos);
  size_t screens = 0;
  for (size_t at = chooser.find("\x1b[2J"); at != std::string::npos; at = chooser.find("\x1b[2J", at)) {
    at += 4;
    const std::string screen = chooser.substr(at, chooser.find("\x1b[H", at) - at);
    ++screens;
    for (size_t line = 0; line <= screen.size();) {
      size_t end = screen.find("\r\n", line);
      if (end == std::string::npos) end = screen.size();
      const std::string text = WithoutEscapes(screen.substr(line, end - line));
      EXPECT_LT(Columns(text), 30u) << text;
      line = end + 2;
    }
  }
  EXPECT_GE(screens, 2u);

  // The progress line: redrawn in place, never over the width, never broken.
  size_t redraws = 0;
  for (size_t cr = out.find('\r', leave); cr != std::string::npos; cr = out.find('\r', cr + 1)) {
    const size_t end = out.find("\x1b[K", cr);
    if (end == std::string::npos) break;
    const std::string line = out.substr(cr + 1, end - cr - 1);
    if (line.empty()) continue;  // an erasure
    ++redraws;
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    EXPECT_LT(Columns(line), 30u) << line;
  }
  EXPECT_GE(redraws, static_cast<size_t>(s.report.scenarios + s.report.pictures));
}

TEST(TerminalRun, WithoutALocaleTheTerminalGetsUtf8AndAPipeShiftJis) {
  Installed s;
  pty_io::TerminalSetup setup;
  setup.lang.reset();
  TerminalSession t(s.exe, setup);
  ASSERT_TRUE(t.WaitFor("ゲームフォルダの選択"));
  t.Type("\x1b");
  ASSERT_TRUE(t.WaitFor("中止しました.\n\n何かキーを押してください.\n"));
  t.Type("q");
  EXPECT_EQ(t.Finish(), 'q');
  EXPECT_TRUE(t.Output().starts_with(
      "“ぬるがた”\n「キルナート」 データコンバータ for 「ぽるてぃ for Zaurus/PocketPC」\n"));
  EXPECT_EQ(t.Output().find(kBanner1), std::string::npos);

  test_support::RunResult piped = test_support::RunPiped(s.exe, {s.game}, std::nullopt);
  EXPECT_EQ(piped.exitStatus, 0);
  EXPECT_TRUE(piped.output.starts_with(std::string(kBanner1) + std::string(kBanner2))) << piped.output;
  EXPECT_TRUE(piped.output.ends_with(kFinished));

  // A locale that names its codeset gets that one: 終了しました. in EUC-JP.
  setup.lang = "ja_JP.eucJP";
  setup.args = {s.game};
  TerminalSession euc(s.exe, setup);
  EXPECT_EQ(euc.Finish(), 0);
  EXPECT_NE(euc.Output().find("\xBD\xAA\xCE\xBB\xA4\xB7\xA4\xDE\xA4\xB7\xA4\xBF.\n"), std::string::npos);
}

TEST(TerminalRun, AnInteractiveRunWithItsOutputOnAPipeWritesExactlyTheMessages) {
  Installed s;
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  {
    TerminalSession t(s.exe, {}, [&] {
      dup2(out[1], STDOUT_FILENO);
      close(out[0]);
      close(out[1]);
    });
    close(out[1]);
    ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
    t.Type(s.game + "\r");
    // The key prompt goes to the pipe; the key is read from the terminal,
    // which is read meanwhile too: a full terminal would stop the converter.
    std::string piped;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!pty_io::ReadUntil(out[0], piped, kPressAKey, 0,
                              std::chrono::steady_clock::now() + std::chrono::milliseconds(50)) &&
           std::chrono::steady_clock::now() < deadline) {
      t.ReadSome();
    }
    ASSERT_NE(piped.find(kPressAKey), std::string::npos) << piped;
    t.Type("a");
    EXPECT_EQ(t.Finish(), 'a');
    EXPECT_EQ(piped, std::string(kBanner1) + std::string(kBanner2) + "Version 0.76\n\n" +
                         std::string(kPrompt1) + std::string(kPrompt2) + std::string(kConverting) +
                         std::string(kFinished) + std::string(kPressAKey));
  }
  close(out[0]);
  EXPECT_TRUE(ArchiveContents(ReadFile(s.Archive())).valid);
}

}  // namespace
