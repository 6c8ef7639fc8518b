// make_sample_game <game-folder> <data-folder> [--bench SCALE | --international]
//
// Writes the synthetic sample game (or, with --bench, the bench-size sample
// at the given scale; with --international, the small game with Japanese
// file names in UTF-8) and the sample "DATA" folder. The sample and the bench
// game hold the black screen "BLACK.MOE" besides (SampleOptions::blackScreen).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sample/international_game.h"
#include "sample/sample_game.h"

namespace {

int Usage() {
  std::fprintf(
      stderr,
      "usage: make_sample_game <game-folder> <data-folder> [--bench SCALE | --international]\n"
      "  SCALE: share of the bench-size sample (1 = 120 scenarios, 600 pictures), above 0 and at most 4\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  tools::SampleOptions options;
  // The games made here are complete: every picture their scenarios show is
  // in them.
  options.blackScreen = true;
  if (argc == 4 && std::string(argv[3]) == "--international") {
    std::string error;
    if (!tools::WriteInternationalGame(argv[1], argv[2], tools::NameForm::kUtf8, error)) {
      std::fprintf(stderr, "make_sample_game: %s\n", error.c_str());
      return 1;
    }
    return 0;
  }
  if (argc == 5 && std::string(argv[3]) == "--bench") {
    char* end = nullptr;
    options.benchScale = std::strtod(argv[4], &end);
    if (end == argv[4] || *end != '\0' || !(options.benchScale > 0)) return Usage();
  } else if (argc != 3) {
    return Usage();
  }

  auto start = std::chrono::steady_clock::now();
  tools::SampleReport report;
  std::string error;
  if (!tools::WriteSampleGame(argv[1], argv[2], options, report, error)) {
    std::fprintf(stderr, "make_sample_game: %s\n", error.c_str());
    return 1;
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("Wrote %d scenarios and %d pictures to %s, %d data files to %s (%.1f MB in %.1f s).\n",
              report.scenarios, report.pictures, argv[1], report.dataFiles, argv[2],
              static_cast<double>(report.bytes) / 1e6, seconds);
  return 0;
}
