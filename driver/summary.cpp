#include "driver/summary.h"

#include "base/diagnostics.h"

namespace driver {

platform::PathLine SummaryLine(const ConversionCounts& counts, size_t warnings,
                               const std::string& archivePath, uint64_t archiveBytes,
                               const base::Translations& texts) {
  // Tenths of a MiB, rounded half up, in integers: no binary fraction can
  // tip a value like 0.05 MiB the wrong way.
  constexpr uint64_t kMiB = 1024 * 1024;
  const uint64_t tenths = archiveBytes / kMiB * 10 + (archiveBytes % kMiB * 10 + kMiB / 2) / kMiB;
  const std::string size = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
  // A count of one is singular: "1 scenario", "0 scenarios", "2 scenarios".
  const size_t s = counts.scenarios, p = counts.pictures, d = counts.dataFiles, w = warnings;
  const std::string scenarios =
      base::Format(s == 1 ? texts.Tr("%zu scenario") : texts.Tr("%zu scenarios"), s);
  const std::string pictures = base::Format(p == 1 ? texts.Tr("%zu picture") : texts.Tr("%zu pictures"), p);
  const std::string data = base::Format(d == 1 ? texts.Tr("%zu data file") : texts.Tr("%zu data files"), d);
  const std::string lines = base::Format(w == 1 ? texts.Tr("%zu warning") : texts.Tr("%zu warnings"), w);
  // The path's place is kept as "%s" for the console to fill.
  return platform::WithPath(
      base::Format(texts.Tr("Converted: %s, %s, %s; %s; %s (%s MiB)\n"), scenarios.c_str(), pictures.c_str(),
                   data.c_str(), lines.c_str(), "%s", size.c_str()),
      archivePath);
}

}  // namespace driver
