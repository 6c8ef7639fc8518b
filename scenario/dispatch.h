#pragma once

#include <array>

#include "scenario/translator.h"

namespace scenario {

// The handler of every source opcode, indexed by the opcode byte; null for
// an opcode without a handler, which the translation loop skips as a single
// byte.
const std::array<Handler, 256>& DispatchTable();

}  // namespace scenario
