#pragma once

#include <optional>
#include <string>

#include "platform/console.h"

namespace platform {

// Lets the user pick the game folder in a modal chooser titled
// "ゲームフォルダの選択" that reaches every folder. Returns the folder's
// absolute path with one separator appended, or nothing when the user
// cancels or there is no console to show it on.
std::optional<std::string> ChooseGameFolder(const Console& console);

}  // namespace platform
