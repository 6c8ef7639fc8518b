#pragma once

#include "base/translations.h"

namespace platform {

// The language the user's settings ask for: on POSIX the first of LC_ALL,
// LC_MESSAGES and LANG that is set; on Windows the user's UI language.
// Japanese or English.
base::Language UserLanguage();

}  // namespace platform
