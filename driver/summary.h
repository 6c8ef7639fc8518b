#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "base/translations.h"
#include "platform/console.h"

namespace driver {

// The members a conversion handed on, per kind.
struct ConversionCounts {
  size_t scenarios = 0;
  size_t pictures = 0;
  size_t dataFiles = 0;
};

// Passes every line on to `next` and counts them: the warnings of a run.
class CountingDiagnostics final : public base::Diagnostics {
 public:
  explicit CountingDiagnostics(base::Diagnostics& next) : next_(next) {}
  void Line(std::string_view sjis) override {
    ++count_;
    next_.Line(sjis);
  }
  const char* Translate(const char* english) const override __attribute__((format_arg(2))) {
    return next_.Translate(english);
  }
  size_t Count() const { return count_; }

 private:
  base::Diagnostics& next_;
  size_t count_ = 0;
};

// "Converted: <s> scenarios, <p> pictures, <d> data files; <w> warnings;
// <archive path> (<size> MiB)\n", the size in MiB to one decimal; a count
// of one is singular ("1 scenario", "1 warning"); the path is shown as
// platform::PathLine shows it.
platform::PathLine SummaryLine(const ConversionCounts& counts, size_t warnings,
                               const std::string& archivePath, uint64_t archiveBytes,
                               const base::Translations& texts = base::Translations());

}  // namespace driver
