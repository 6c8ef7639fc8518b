#pragma once

#include <string>
#include <vector>

namespace platform {

// The program's arguments after its name, as paths are inside the program:
// on Windows from the wide command line (GetCommandLineW), in UTF-8,
// whatever the system's code page, and `argv` is not used; elsewhere argv's
// bytes themselves.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace platform
