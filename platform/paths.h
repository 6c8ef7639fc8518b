#pragma once

#include <optional>
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
// Whether the system takes names that differ in letter case as one.
inline constexpr bool kNamesIgnoreCase = true;
#else
inline constexpr char kSeparator = '/';
inline constexpr std::string_view kSeparatorString = "/";
inline constexpr std::string_view kSeparators = "/";
inline constexpr std::string_view kNotInNames = "";
inline constexpr bool kNamesIgnoreCase = false;
#endif

// Folder of the running executable, absolute, ending in kSeparator; empty when
// it cannot be found.
std::string ExecutableFolder();

// The working folder, absolute, ending in kSeparator; empty when it cannot be
// found.
std::string WorkingFolder();

// `folder` (as the user gave it) as the folder path the converter appends
// names to: made full before anything is appended, then ending in
// kSeparator. On Windows it is made full as Windows does it: relative to the
// current folder, a drive-relative "Y:" or "Y:x" relative to that drive's
// own current folder, '/' as '\\', with "." and ".." resolved and the
// trailing dots and spaces of its parts dropped. Elsewhere the path keeps
// its bytes. Nothing when it cannot be made full.
std::optional<std::string> FullFolderPath(std::string_view folder);

// True when the folders `a` and `b` are one and the same, whatever their
// spelling (a link, another letter case, a relative path); false when
// either cannot be looked at.
bool SameFolder(const std::string& a, const std::string& b);

// True when `a` and `b` are one and the same existing file or folder,
// whatever their spelling (a link, another letter case, a relative path);
// false when either cannot be looked at.
bool SameFile(const std::string& a, const std::string& b);

// True when the file names `a` and `b` name one file in a folder: the same
// bytes, or on a system that ignores letter case, the same but for the case
// of ASCII letters.
bool SameFileName(std::string_view a, std::string_view b);

// Position just behind the last separator of `path`, any of kSeparators (0
// when there is none).
size_t NamePartStart(std::string_view path);

}  // namespace platform
