#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Writes a synthetic game folder and a "DATA" folder for the converter:
// "MES" scenarios, ".MOE" pictures in the game folder and in "CG", "TACHI"
// and "OPENING", and a few small data files. Everything is made up and the
// same byte for byte on every run.
namespace tools {

// Marks a game folder as written by WriteSampleGame, so that a later run may
// replace its contents.
inline constexpr const char* kSampleMarker = "MAKE_SAMPLE_GAME.TXT";

struct SampleOptions {
  // 0 for the small sample; otherwise the share of the bench-size sample
  // (about 120 scenarios of 10 to 60 KB and 600 pictures of 640 × 480 at
  // 1), from above 0 to 4.
  double benchScale = 0;
  // Also writes "BLACK.MOE" into the game folder: the black screen that the
  // scenarios show, which an installation gets with the interpreter's DATA
  // files. Without it the game lacks that one picture, as the reference
  // archives of the tests were made.
  bool blackScreen = false;
};

struct SampleReport {
  int scenarios = 0;
  int pictures = 0;
  int dataFiles = 0;
  uint64_t bytes = 0;
};

// Writes the sample. The game folder must be missing, empty or written by an
// earlier run (it then holds kSampleMarker, and its contents are replaced);
// data files are written into the data folder beside whatever it holds.
// Returns false with a message in `error` when it cannot.
bool WriteSampleGame(const std::filesystem::path& gameFolder, const std::filesystem::path& dataFolder,
                     const SampleOptions& options, SampleReport& report, std::string& error);

}  // namespace tools
