#pragma once

#include <span>
#include <string>
#include <string_view>

#include "archive/archive_format.h"
#include "driver/passes.h"
#include "driver/summary.h"

namespace driver {

// The folders a conversion reads, each ending in the separator.
struct GameFolders {
  std::string game;  // the installed game
  std::string data;  // whose files are stored unchanged
  // True when `data` is the folder the spool and the archive are written
  // into: those two are not data.
  bool dataIsOutput = false;
};

// Runs every conversion pass, in their fixed order, over the game folder and
// the data folder; returns how many members of each kind were handed on.
// With `pass.pictures`, the pictures the scenarios show are checked against
// the members at the end, and those missing reported in one warning line.
ConversionCounts ConvertGame(const GameFolders& folders, const PassContext& pass);

// The whole run. Without arguments (`args` follow the program's name):
// banners, folder choice, conversion, archive, key wait, and the code of the
// key that ended the wait (-1 without a terminal). With arguments: the
// command line (driver/command_line.h) and its exit status.
int Run(std::span<const std::string_view> args);

// The run without arguments, with `workers` compression threads (0: one per
// processor the process may run on).
int RunInteractive(unsigned workers = 0);

}  // namespace driver
