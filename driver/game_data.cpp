#include "driver/game_data.h"

#include "platform/file_search.h"
#include "platform/paths.h"

namespace driver {
namespace {

// A file whose name Shift-JIS cannot hold counts too: it shows there is
// game data here, though the conversion leaves it out.
bool HasMatch(const std::string& pattern) {
  platform::FileSearch search;
  return search.FindFirstName(pattern) != nullptr;
}

}  // namespace

bool HoldsGameData(const std::string& folder) {
  if (folder.empty()) return false;
  std::string root = folder;
  if (root.back() != platform::kSeparator) root += platform::kSeparator;
  if (HasMatch(root + "MES" + platform::kSeparator + "*.SIO")) return true;
  for (const char* sub : {"", "CG", "TACHI", "OPENING"}) {
    const std::string prefix = *sub ? root + sub + platform::kSeparator : root;
    if (HasMatch(prefix + "*.MOE")) return true;
  }
  return false;
}

}  // namespace driver
