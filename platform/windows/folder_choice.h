#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/folder_chooser.h"

namespace platform::windows {

// What the user answers when asked about a folder without game data.
enum class Answer { kYes, kNo, kNoAnswer };

// The folder chooser's course, apart from the windows it shows: `browse`
// shows the folder dialog (nothing: cancelled or not shown); a folder
// without game data is chosen only when `ask` answers yes, after no the
// dialog is shown again, and when no question can be asked nothing is
// chosen. An empty `holdsGameData` never asks.
// The folder a dialog gives as `path` (any length), as the chooser returns
// it: in UTF-8, ending in one separator. Nothing for an empty path.
std::optional<std::string> FolderOfDialogPath(std::wstring_view path);

std::optional<std::string> ChooseFolder(const std::function<std::optional<std::string>()>& browse,
                                        const std::function<Answer()>& ask, const FolderCheck& holdsGameData);

}  // namespace platform::windows
