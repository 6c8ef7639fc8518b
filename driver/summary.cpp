#include "driver/summary.h"

namespace driver {

std::string SummaryLine(const ConversionCounts& counts, size_t warnings, const std::string& archivePath,
                        uint64_t archiveBytes) {
  // Tenths of a MiB, rounded half up, in integers: no binary fraction can
  // tip a value like 0.05 MiB the wrong way.
  constexpr uint64_t kMiB = 1024 * 1024;
  const uint64_t tenths = archiveBytes / kMiB * 10 + (archiveBytes % kMiB * 10 + kMiB / 2) / kMiB;
  return "Converted: " + std::to_string(counts.scenarios) + " scenarios, " + std::to_string(counts.pictures) +
         " pictures, " + std::to_string(counts.dataFiles) + " data files; " + std::to_string(warnings) +
         " warnings; " + archivePath + " (" + std::to_string(tenths / 10) + "." +
         std::to_string(tenths % 10) + " MiB)\n";
}

}  // namespace driver
