#pragma once

#include <string>
#include <string_view>

namespace platform {

// The byte that separates folders in the paths the converter builds. Folders
// are passed around with a trailing separator and joined to names by plain
// concatenation. kSeparators: every byte the system takes as a separator
// when it reads a path (Windows takes '/' as well as its own '\\').
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr std::string_view kSeparatorString = "\\";
inline constexpr std::string_view kSeparators = "\\/";
// Bytes a file name may not hold besides separators and controls (':' would
// name a stream of another file).
inline constexpr std::string_view kNotInNames = "<>:\"|?*";
#else
inline constexpr char kSeparator = '/';
inline constexpr std::string_view kSeparatorString = "/";
inline constexpr std::string_view kSeparators = "/";
inline constexpr std::string_view kNotInNames = "";
#endif

// Folder of the running executable, absolute, ending in kSeparator; empty when
// it cannot be found.
std::string ExecutableFolder();

// The working folder, absolute, ending in kSeparator; empty when it cannot be
// found.
std::string WorkingFolder();

// Position just behind the last separator of `path`, any of kSeparators (0
// when there is none).
size_t NamePartStart(std::string_view path);

}  // namespace platform
