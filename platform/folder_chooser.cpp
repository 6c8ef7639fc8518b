#include "platform/terminal.h"

namespace platform {

std::optional<std::string> ChooseGameFolder() { return std::nullopt; }

}  // namespace platform
