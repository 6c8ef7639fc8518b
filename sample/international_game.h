#pragma once

#include <filesystem>
#include <string>

// A small game whose file names are Japanese, for the tests of the name
// rule: scenarios, pictures and a data file named in Japanese, a scenario
// that another refers to by its Japanese name, a name with a Shift-JIS
// character whose second byte is a backslash (0x5C), and one picture whose
// name Shift-JIS cannot hold ("Café.MOE"), which the converter leaves out.
// Names copies bring along too: a decomposed name, a name that reads both
// as UTF-8 and as raw Shift-JIS, two files that give one member name, a name
// longer than a member name holds, and side files of macOS.
namespace tools {

// How the names are written on the disk: in UTF-8, as a current system
// keeps them, or as the raw Shift-JIS bytes of a Japanese system of old.
// "Café.MOE" is in UTF-8 either way.
enum class NameForm { kUtf8, kShiftJis };

// Writes the game into `game` and its data files into `data` (both created
// when missing). Returns false with a message in `error` when it cannot.
bool WriteInternationalGame(const std::filesystem::path& game, const std::filesystem::path& data,
                            NameForm form, std::string& error);

}  // namespace tools
