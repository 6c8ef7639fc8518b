#include "driver/home_folder.h"

#include "platform/paths.h"

namespace driver {

bool IsProgramsFolder(std::string_view folder) {
  while (!folder.empty() && platform::kSeparators.find(folder.back()) != std::string_view::npos)
    folder.remove_suffix(1);
  const std::string_view last = folder.substr(platform::NamePartStart(folder));
  return last == "bin" || last == "sbin" || last == "games";
}

std::string HomeFolder(const std::string& converterFolder, bool converterFolderHoldsData,
                       const std::string& workingFolder) {
  if (converterFolder.empty()) return {};
  if (converterFolderHoldsData || !IsProgramsFolder(converterFolder)) return converterFolder;
  return workingFolder;
}

}  // namespace driver
