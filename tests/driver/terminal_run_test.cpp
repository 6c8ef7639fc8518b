// The interactive converter under a pseudo-terminal: the chooser's wiring
// (its marks, arrows and Space, a resize), interruption, the progress line
// in a narrow window and the terminal's codeset. What the chooser shows and
// does for each key is tests/chooser/chooser_model_test.cpp.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "driver/messages.h"
#include "installed_sample.h"
#include "run_converter.h"
#include "sample/sample_game.h"
#include "sample/sio_writer.h"
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

using Installed = test_support::InstalledSample;

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

TEST(TerminalRun, AResizedWindowGetsTheChooserRedrawnForItsWidth) {
  Installed s;
  TerminalSession t(s.exe);
  ASSERT_TRUE(t.WaitFor("Or type a path (Tab completes)"));
  t.Resize(10, 40);
  ASSERT_TRUE(t.WaitFor("Space:choose Enter:open Esc:quit"));
  t.Type("\x1b");
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
  EXPECT_EQ(test_support::ReadFile(s.Archive()), test_support::Bytes("an earlier archive"));
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

// Started ignoring SIGINT (as by nohup), the chooser leaves it ignored: one
// that comes while it waits for a key changes nothing, and the key counts.
TEST(TerminalRun, AChooserStartedIgnoringSigintKeepsRunningWhenItComes) {
  Installed s;
  TerminalSession t(s.exe, {}, [stop = test_support::StopAtThenGoOn("key - 1")] {
    std::signal(SIGINT, SIG_IGN);
    stop();
  });
  ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
  t.Type("\x1b");
  ASSERT_TRUE(t.WaitForStop());
  t.SignalStopped(SIGINT);
  ASSERT_TRUE(t.WaitFor(std::string(kCancelled) + std::string(kPressAKey)));
  t.Type("q");
  EXPECT_EQ(t.Finish(), 'q');
}

TEST(TerminalRun, In30ColumnsTheProgressLineStaysWithinTheWindow) {
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

  const size_t leave = out.find("\x1b[?1049l");
  ASSERT_NE(leave, std::string::npos);

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

// A Japanese user at a UTF-8 terminal: the chooser's help and marks and the
// interruption line are Japanese, in the terminal's codeset.
TEST(TerminalRun, InJapaneseTheChooserAndTheInterruptionLineAreJapanese) {
  Installed s;
  pty_io::TerminalSetup setup;
  setup.lang = "ja_JP.UTF-8";
  setup.messages.reset();
  // Folder names as a copy may hold them: raw Shift-JIS (表紙, 「ｱ」 and
  // the unassigned code 85 40), and an escape sequence.
  std::filesystem::create_directory(s.games.Path() / "\x95\x5C\x8E\x86\xB1\x85\x40");
  std::filesystem::create_directory(s.games.Path() / "x\x1b]0;t\x07");
  TerminalSession t(s.exe, setup, [&s] {
    test_support::StopAt("open .MOE 2")();
    if (chdir(s.games.Path().c_str()) != 0) _exit(126);
  });
  ASSERT_TRUE(t.WaitFor("game/  [ゲームデータ]"));
  EXPECT_NE(t.Output().find("Space: 選択中のフォルダに決める (../ の上では表示中のフォルダ)   Esc: 中止"),
            std::string::npos);
  EXPECT_NE(t.Output().find("表紙ｱ\\x85\\x40/"), std::string::npos) << t.Output();
  EXPECT_NE(t.Output().find("x\\x1B]0;t\\x07/"), std::string::npos) << t.Output();
  t.Type("game\r");
  ASSERT_TRUE(t.WaitForStop());
  t.SignalStopped(SIGINT);
  EXPECT_EQ(t.Finish(), 128 + SIGINT);
  EXPECT_TRUE(t.Output().ends_with("中断しました: 変換を止めました. アーカイブは書き込んでいません.\n"))
      << t.Output().substr(t.Output().size() - std::min<size_t>(t.Output().size(), 200));
}

// Each stream is judged by itself: with standard output on a pipe, a line on
// standard error at a UTF-8 terminal is UTF-8, its path too.
TEST(TerminalRun, StandardErrorAtATerminalGetsItsCodesetWhereverStandardOutputGoes) {
  Installed s;
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pty_io::TerminalSetup setup;
  setup.lang = "ja_JP.UTF-8";
  setup.messages.reset();
  setup.args = {"nothere/キルナート"};
  TerminalSession t(s.exe, setup, [&] {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
  });
  close(out[1]);
  EXPECT_EQ(t.Finish(), 2);
  EXPECT_EQ(t.Output(), "avdconv: フォルダではありません: nothere/キルナート\n");
  close(out[0]);
}

// The interruption line, with standard output on a pipe and standard error
// at a UTF-8 terminal: in the terminal's codeset, on standard error alone;
// the pipe keeps its Shift-JIS lines and gets no erasing of a progress line.
TEST(TerminalRun, AnInterruptionWithStandardOutputOnAPipeSaysSoInTheCodesetOfStandardError) {
  Installed s;
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  pty_io::TerminalSetup setup;
  setup.lang = "ja_JP.UTF-8";
  setup.messages.reset();
  setup.args = {s.game};
  TerminalSession t(s.exe, setup, [&] {
    test_support::StopAt("open .MOE 2")();
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
  });
  close(out[1]);
  ASSERT_TRUE(t.WaitForStop());
  t.SignalStopped(SIGINT);
  EXPECT_EQ(t.Finish(), 128 + SIGINT);
  EXPECT_EQ(t.Output(), "中断しました: 変換を止めました. アーカイブは書き込んでいません.\n");
  std::string piped;
  char buffer[4096];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
    piped.append(buffer, static_cast<size_t>(n));
  close(out[0]);
  EXPECT_TRUE(piped.starts_with(std::string(kBanner1))) << piped;
  EXPECT_EQ(piped.find("\x1b"), std::string::npos) << piped;
  EXPECT_FALSE(fs::exists(s.bin.Path() / "tmp.dat"));
}
