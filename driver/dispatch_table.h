#pragma once

#include "scenario/translator.h"

namespace driver {

// The converter's dispatch table: the control-flow handlers of scenario/
// and the scene handlers of scene/, with the scene state's hooks. Built when
// the program is compiled; no opcode has two handlers.
const scenario::DispatchTable& TranslatorDispatchTable();

}  // namespace driver
