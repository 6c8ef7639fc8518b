#include "driver/summary.h"

namespace driver {
namespace {

// "1 scenario", "0 scenarios", "2 scenarios".
std::string Count(size_t n, std::string_view one, std::string_view many) {
  return std::to_string(n) + " " + std::string(n == 1 ? one : many);
}

}  // namespace

platform::PathLine SummaryLine(const ConversionCounts& counts, size_t warnings,
                               const std::string& archivePath, uint64_t archiveBytes) {
  // Tenths of a MiB, rounded half up, in integers: no binary fraction can
  // tip a value like 0.05 MiB the wrong way.
  constexpr uint64_t kMiB = 1024 * 1024;
  const uint64_t tenths = archiveBytes / kMiB * 10 + (archiveBytes % kMiB * 10 + kMiB / 2) / kMiB;
  return {"Converted: " + Count(counts.scenarios, "scenario", "scenarios") + ", " +
              Count(counts.pictures, "picture", "pictures") + ", " +
              Count(counts.dataFiles, "data file", "data files") + "; " +
              Count(warnings, "warning", "warnings") + "; ",
          archivePath, " (" + std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MiB)\n"};
}

}  // namespace driver
