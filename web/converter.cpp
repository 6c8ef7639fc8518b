// The converter as the page's worker calls it: the command-line run over
// folders the worker has mounted, and the game-data check that comes before
// it.
#include <emscripten.h>

#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.h"
#include "driver/game_data.h"

extern "C" {

EMSCRIPTEN_KEEPALIVE int avd_holds_game_data(const char* folder) {
  return driver::HoldsGameData(folder) ? 1 : 0;
}

// Converts `game` with the files of `data` into `output`/DAV299.AVD with
// `jobs` compression workers, as the command line does; its exit status.
EMSCRIPTEN_KEEPALIVE int avd_convert(const char* game, const char* data, const char* output, int force,
                                     int jobs) {
  const std::string jobsOption = "--jobs=" + std::to_string(jobs);
  std::vector<std::string_view> args = {"--output", output, "--data", data, jobsOption};
  if (force) args.emplace_back("--force");
  args.emplace_back("--");
  args.emplace_back(game);
  return driver::Run(args);
}

}  // extern "C"
