#pragma once

#include <string>

#include "base/translations.h"

namespace platform {

// Why the calling thread's last system call failed, for a line: the common
// reasons in the language of `texts` (Shift-JIS), any other in the system's
// own words. Asked at once after the call that failed.
std::string LastFailureReason(const base::Translations& texts);

}  // namespace platform
