#pragma once

#include <string>

namespace driver {

// True when `folder` (with or without the trailing separator) holds game
// data: a "MES" folder with at least one ".SIO" file, or a ".MOE" picture in
// the folder itself or in its "CG", "TACHI" or "OPENING" folder. Names match
// in any letter case, as the conversion finds them.
bool HoldsGameData(const std::string& folder);

}  // namespace driver
