#pragma once

#include <string>
#include <string_view>

namespace driver {

// True when `folder` (absolute, with or without its trailing separator) is
// a folder of installed programs, one the converter shares with every other
// program: its last part is "bin", "sbin" or "games" (/usr/bin,
// /usr/local/bin, ~/.local/bin, /usr/games, ...).
bool IsProgramsFolder(std::string_view folder);

// The folder that holds DATA and receives DAV299.AVD and tmp.dat when the
// options leave them to the converter. Its own folder, as the portable layout
// has it (the converter with its DATA beside it); but an installed converter,
// one in a folder of programs without DATA in it, owns nothing there and
// takes the working folder instead. Empty when the folder it needs is
// unknown (an empty `converterFolder` or `workingFolder`).
std::string HomeFolder(const std::string& converterFolder, bool converterFolderHoldsData,
                       const std::string& workingFolder);

}  // namespace driver
