#pragma once

#include <iconv.h>

#include <string>
#include <string_view>

namespace platform::posix {

// Shift-JIS text transcoded by `cd` (opened from "CP932" to the terminal's
// codeset), as the console writes it to a terminal: a character that does
// not convert is shown as one '?', and the rest goes on after it.
std::string Transcode(iconv_t cd, std::string_view sjis);

}  // namespace platform::posix
