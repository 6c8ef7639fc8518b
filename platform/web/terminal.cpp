// The page's log has no keys to read and no width to cut lines to.
#include "platform/terminal.h"

#include "platform/folder_chooser.h"

namespace platform {

int ReadKey() { return -1; }
// Wide enough that a progress line is never cut.
int TerminalColumns() { return 4096; }
unsigned ConsoleProcessCount() { return 0; }

// The page's folder inputs choose the folders.
std::optional<std::string> ChooseGameFolder(const Console&, const FolderCheck&) { return std::nullopt; }

}  // namespace platform
