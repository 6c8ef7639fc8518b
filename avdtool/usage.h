#pragma once

#include <string>

#include "base/translations.h"

namespace avdtool {

// avdtool's --help: the commands, the exit statuses and the language rule,
// in the language of `texts` (Shift-JIS). Every line fits 78 columns.
std::string Usage(const base::Translations& texts);

}  // namespace avdtool
