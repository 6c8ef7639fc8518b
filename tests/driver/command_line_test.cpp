#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/text_columns.h"
#include "base/translations.h"
#include "chooser/chooser_model.h"

namespace {

using driver::Options;
using driver::ParsedCommandLine;

ParsedCommandLine Parse(std::vector<std::string_view> args) { return driver::ParseCommandLine(args); }

// The error of a command line that must be refused.
std::string Refusal(std::vector<std::string_view> args) {
  ParsedCommandLine p = Parse(args);
  EXPECT_FALSE(p.error.empty()) << "accepted";
  EXPECT_EQ(p.error.find('\n'), std::string::npos) << "one line";
  EXPECT_EQ(p.error.rfind("avdconv: ", 0), 0u);
  return p.error;
}

TEST(CommandLine, NoArgumentIsTheInteractiveRun) {
  ParsedCommandLine p = Parse({});
  EXPECT_EQ(p.error, "");
  EXPECT_EQ(p.options.action, Options::Action::kInteractive);
}

TEST(CommandLine, EveryOptionBeforeOrAfterTheFolderInBothForms) {
  ParsedCommandLine p = Parse({"--output", "out", "game", "--data=dat", "--jobs", "4", "--quiet", "--force"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.action, Options::Action::kConvert);
  EXPECT_EQ(p.options.gameFolder, "game");
  EXPECT_EQ(p.options.outputFolder, "out");
  EXPECT_EQ(p.options.dataFolder, "dat");
  EXPECT_EQ(p.options.jobs, 4u);
  EXPECT_TRUE(p.options.quiet);
  EXPECT_TRUE(p.options.force);

  p = Parse({"game"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.outputFolder, "");
  EXPECT_EQ(p.options.dataFolder, "");
  EXPECT_EQ(p.options.jobs, 0u);
  EXPECT_FALSE(p.options.quiet);
  EXPECT_FALSE(p.options.force);
}

TEST(CommandLine, AfterTheDoubleDashEverythingIsTheFolder) {
  ParsedCommandLine p = Parse({"--quiet", "--", "--odd-name"});
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.gameFolder, "--odd-name");
  p = Parse({"--output=-out", "g"});  // a value after '=' may start with '-'
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.options.outputFolder, "-out");
}

TEST(CommandLine, JobsFromOneTo64) {
  EXPECT_EQ(Parse({"--jobs=1", "g"}).options.jobs, 1u);
  EXPECT_EQ(Parse({"--jobs", "64", "g"}).options.jobs, 64u);
  for (std::string_view bad : {"0", "65", "-1", "+2", "2x", "", "1000000000000000000000", " 3"}) {
    const std::string arg = "--jobs=" + std::string(bad);
    EXPECT_NE(Refusal({arg, "g"}).find("--jobs needs a number of workers from 1 to 64"), std::string::npos)
        << bad;
  }
}

TEST(CommandLine, HelpAndVersionWinOverAConversion) {
  EXPECT_EQ(Parse({"--help"}).options.action, Options::Action::kHelp);
  EXPECT_EQ(Parse({"game", "--help"}).options.action, Options::Action::kHelp);
  EXPECT_EQ(Parse({"--version"}).options.action, Options::Action::kVersion);
  EXPECT_EQ(Parse({"--version", "--help"}).options.action, Options::Action::kHelp);
  EXPECT_EQ(driver::VersionText(), "avdconv 0.76\n");
  const std::string help = driver::HelpText();
  for (std::string_view option : {"--output", "--data", "--jobs", "--quiet", "--force", "--help", "--version",
                                  "Exit status", "MiB to one decimal"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
}

// Each system's help names its own ways of stopping a run and choosing the
// language, in every language.
TEST(CommandLine, TheHelpSpeaksOfTheSystemItIsShownOn) {
  for (const base::Language language : {base::Language::kEnglish, base::Language::kJapanese}) {
    const base::Translations texts(language);
    const std::string windows = driver::HelpText(texts, true);
    const std::string posix = driver::HelpText(texts, false);
    for (std::string_view posixOnly : {"/proc", "LC_MESSAGES", "128+N"}) {
      EXPECT_EQ(windows.find(posixOnly), std::string::npos) << posixOnly;
      EXPECT_NE(posix.find(posixOnly), std::string::npos) << posixOnly;
    }
    for (std::string_view windowsOnly : {"Ctrl-Break", "149", "129", "ERRORLEVEL", "CON.MOE", "(Y:)"}) {
      EXPECT_NE(windows.find(windowsOnly), std::string::npos) << windowsOnly;
      EXPECT_EQ(posix.find(windowsOnly), std::string::npos) << windowsOnly;
    }
  }
}

// So that the whole key help fits an 80-column terminal, and the help reads
// without wrapping: every line of both within 78 columns, in each language.
TEST(HelpTexts, EveryLineOfTheHelpAndTheKeyHelpFitsIn78Columns) {
  for (const base::Language language : {base::Language::kEnglish, base::Language::kJapanese}) {
    const base::Translations texts(language);
    std::vector<std::string> lines;
    for (const bool windows : {false, true}) {
      const std::string help = driver::HelpText(texts, windows);
      for (size_t start = 0, end; start < help.size(); start = end + 1) {
        end = help.find('\n', start);
        lines.push_back(help.substr(start, end - start));
      }
    }
    const chooser::ChooserTexts keys;
    for (const std::vector<std::string>* group : {&keys.help, &keys.shortHelp}) {
      for (const std::string& line : *group) lines.push_back(texts.Tr(line.c_str()));
    }
    for (const std::string& line : lines) {
      EXPECT_LE(base::TextColumns(line, base::TerminalEncoding::kShiftJis), 78u) << line;
      if (language == base::Language::kJapanese) {
        EXPECT_FALSE(line.starts_with("Usage:")) << line;
        EXPECT_EQ(line.find("Spc"), std::string::npos) << line;
        EXPECT_EQ(line.find("Ent:"), std::string::npos) << line;
      }
    }
  }
}

// An argument shows as a path does on a Shift-JIS line: UTF-8 in its
// Shift-JIS characters, what Shift-JIS lacks as \xNN; raw Shift-JIS as it is.
TEST(CommandLine, AnArgumentInAUsageErrorIsShiftJisWithXnnForWhatItLacks) {
  EXPECT_EQ(Refusal({"--bogus-\xC3\xA9", "g"}), "avdconv: unknown option --bogus-\\xC3\\xA9 (see --help)");
  EXPECT_EQ(Refusal({"\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0", "Caf\xC3\xA9"}),
            "avdconv: more than one game folder given: \x83Q\x81[\x83\x80, Caf\\xC3\\xA9");
  EXPECT_EQ(Refusal({"--jobs", "\x82\x50", "g"}),
            "avdconv: --jobs needs a number of workers from 1 to 64, not \x82\x50");
  EXPECT_EQ(Refusal({"g", "\x1B[2J"}), "avdconv: more than one game folder given: g, \\x1B[2J");
}

TEST(CommandLine, UsageErrorsSayWhatIsWrong) {
  EXPECT_EQ(Refusal({"--quiet"}), "avdconv: no game folder given (see --help)");
  EXPECT_EQ(Refusal({"a", "b"}), "avdconv: more than one game folder given: a, b");
  EXPECT_EQ(Refusal({"--bogus", "g"}), "avdconv: unknown option --bogus (see --help)");
  EXPECT_EQ(Refusal({"-h"}), "avdconv: unknown option -h (see --help)");
  EXPECT_EQ(Refusal({"g", "--output"}), "avdconv: --output needs a folder");
  EXPECT_EQ(Refusal({"--output", "--quiet", "g"}), "avdconv: --output needs a folder");
  EXPECT_EQ(Refusal({"--data=", "g"}), "avdconv: --data needs a folder");
  EXPECT_EQ(Refusal({"--output", "a", "--output", "b", "g"}), "avdconv: --output given twice");
  EXPECT_EQ(Refusal({"--quiet=yes", "g"}), "avdconv: --quiet takes no value");
  EXPECT_EQ(Refusal({""}), "avdconv: the game folder is an empty name");
  // The first error is the one reported, even beside --help.
  EXPECT_EQ(Refusal({"--bogus", "--help"}), "avdconv: unknown option --bogus (see --help)");
}

// A folder dropped onto the converter in Explorer: the console is the run's
// own and would close with it. From cmd, a script or a pipe: no wait.
TEST(CommandLine, OnlyARunWithAConsoleOfItsOwnWaitsForAKey) {
  EXPECT_TRUE(driver::WaitsForAKeyAtTheEnd(1, true));
  EXPECT_FALSE(driver::WaitsForAKeyAtTheEnd(2, true));   // cmd or a script shares it
  EXPECT_FALSE(driver::WaitsForAKeyAtTheEnd(1, false));  // output to a pipe or file
  EXPECT_FALSE(driver::WaitsForAKeyAtTheEnd(0, true));   // no count: a POSIX terminal
}

}  // namespace
