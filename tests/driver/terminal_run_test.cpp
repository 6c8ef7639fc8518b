// The interactive converter under a pseudo-terminal: the chooser's wiring
// (its marks, arrows and Space, a resize), interruption, the progress line
// in a narrow window and the terminal's codeset. What the chooser shows and
// does for each key is tests/platform/chooser_model_test.cpp.
#include <gtest/gtest.h>
#include <sys/inotify.h>

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

// Interrupts a conversion of a quarter of the bench sample at the moment
// `interruptNow` picks, with an earlier archive in place.
void ExpectCleanInterruption(const std::function<void(TerminalSession&, const fs::path&)>& interruptNow) {
  Installed s(0.25);
  s.bin.Write("DAV299.AVD", "an earlier archive");
  TerminalSession t(s.exe);
  ASSERT_TRUE(t.WaitFor(kChooserTitleSjis));
  t.Type(s.game + "\r");
  interruptNow(t, fs::canonical(s.bin.Path()));
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
  ExpectCleanInterruption([](TerminalSession& t, const fs::path&) {
    ASSERT_TRUE(t.WaitFor("\rPictures CG: 2/"));
    t.Signal(SIGINT);
  });
}

TEST(TerminalRun, CtrlCDuringTheFinalWriteRemovesTheTemporaryArchiveToo) {
  ExpectCleanInterruption([](TerminalSession& t, const fs::path& folder) {
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder.c_str(), IN_CREATE), 0);
    bool stopped = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!stopped && std::chrono::steady_clock::now() < deadline) {
      // The terminal is read all along, so the converter never blocks on it.
      pollfd p[2] = {{watch, POLLIN, 0}, {t.Master(), POLLIN, 0}};
      if (poll(p, 2, 100) <= 0) continue;
      if (p[1].revents & POLLIN) t.ReadSome();
      alignas(inotify_event) char events[4096];
      const ssize_t n = read(watch, events, sizeof events);
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(events + at);
        if (e->len > 0 && std::string_view(e->name) == "DAV299.AVD.part") {
          // Held still while the archive is being written.
          t.Signal(SIGSTOP);
          stopped = true;
        }
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      }
    }
    close(watch);
    ASSERT_TRUE(stopped);
    ASSERT_TRUE(fs::exists(folder / "DAV299.AVD.part"));
    t.Signal(SIGINT);
    t.Signal(SIGCONT);
  });
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
