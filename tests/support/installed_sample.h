#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "run_converter.h"
#include "sample/sample_game.h"
#include "test_support.h"

namespace test_support {

// A converter with its DATA folder, and a sample game in games/game (at
// `benchScale` of the bench size; 0: the small sample), complete: every
// picture its scenarios show is in it, so no run warns of a missing one.
struct InstalledSample {
  explicit InstalledSample(double benchScale = 0) {
    exe = InstallConverter(bin.Path());
    tools::SampleOptions options;
    options.benchScale = benchScale;
    options.blackScreen = true;
    std::string error;
    EXPECT_TRUE(tools::WriteSampleGame(games.Path() / "game", bin.Path() / "DATA", options, report, error))
        << error;
    game = (games.Path() / "game").string();
  }
  std::filesystem::path Folder() const { return std::filesystem::canonical(bin.Path()); }
  std::filesystem::path Archive() const { return Folder() / "DAV299.AVD"; }
  // Every entry of the converter's folder.
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(bin.Path())) names.insert(e.path().filename());
    return names;
  }

  TempDir bin, games;
  std::string exe, game;
  tools::SampleReport report;
};

}  // namespace test_support
