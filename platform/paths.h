#pragma once

#include <string>
#include <string_view>

namespace platform {

// The byte that separates folders in the paths the converter builds. Folders
// are passed around with a trailing separator and joined to names by plain
// concatenation.
inline constexpr char kSeparator = '/';
inline constexpr std::string_view kSeparatorString = "/";

// Folder of the running executable, absolute, ending in kSeparator; empty when
// it cannot be found.
std::string ExecutableFolder();

// Position just behind the last separator of `path` (0 when there is none).
size_t NamePartStart(std::string_view path);

}  // namespace platform
