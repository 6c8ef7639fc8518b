#pragma once

#include <string>
#include <string_view>

// Windows path forms, as plain text: the same rules on every system, so that
// they are tested everywhere, and used where the program talks to Windows.
namespace platform {

// The form of a full Windows path (a drive's "C:\..." or a share's
// "\\server\share\...") that Windows takes beyond its usual length limit and
// without its rule that a name such as CON or NUL.TXT means a device:
// "\\?\C:\..." or "\\?\UNC\server\share\...". In that form Windows reads the
// path as it stands, so the parts it would otherwise tidy are tidied here,
// as it tidies them: '/' becomes '\', repeated separators count once, a "."
// part goes and a ".." part takes back the part before it (never the root).
// A trailing separator stays. Any other path (relative, drive-relative as
// "C:x", or one in a "\\?\" or "\\.\" form already) is returned unchanged.
std::string ExtendedLengthPath(std::string_view path);

}  // namespace platform
