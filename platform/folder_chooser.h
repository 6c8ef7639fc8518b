#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/console.h"

namespace platform {

// Tells whether a folder (an absolute path ending in the separator) holds
// what the caller looks for.
using FolderCheck = std::function<bool(const std::string& folder)>;

// Lets the user pick the game folder in a modal chooser titled
// "ゲームフォルダの選択" that reaches every folder. Folders for which
// `holdsGameData` is true are marked; choosing one for which it is false
// asks for confirmation first (an empty check marks none and never asks). Returns the folder's absolute path with one
// separator appended, or nothing when the user cancels or there is no
// console to show it on.
std::optional<std::string> ChooseGameFolder(const Console& console, const FolderCheck& holdsGameData);

}  // namespace platform
