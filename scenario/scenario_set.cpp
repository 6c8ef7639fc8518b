#include "scenario/scenario_set.h"

#include <utility>

#include "base/printable.h"
#include "base/sjis.h"

namespace scenario {
namespace {

constexpr std::string_view kPrologue = "PROLOGUE.SIO";

}  // namespace

void ScenarioSet::AddFoundName(std::string_view found, base::Diagnostics& diag, std::string_view fileName) {
  std::string name(found);
  base::UpperCaseName(name);
  std::string file(fileName.empty() ? found : fileName);
  if (names_.size() == kMaxScenarios) {
    // The prologue keeps number 1 whatever the search order: it takes the
    // first slot, and the name found first is left out in its place.
    std::string leftOut(found);
    if (name == kPrologue && names_.front() != kPrologue) {
      std::swap(names_.front(), name);
      std::swap(files_.front(), file);
      leftOut = name;
    }
    diag.Report("Warning : more than 999 scenario files, left out: %s\n",
                base::Printable(leftOut, base::TextEncoding::kShiftJis).c_str());
    return;
  }
  names_.push_back(std::move(name));
  files_.push_back(std::move(file));
  // Exchanged, not inserted: only the name found first changes its number.
  if (names_.back() == kPrologue && names_.size() > 1) {
    std::swap(names_.front(), names_.back());
    std::swap(files_.front(), files_.back());
  }
}

int ScenarioSet::LookupScenario(std::string_view name) const {
  std::string key(name);
  base::UpperCaseName(key);
  for (size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == key) return static_cast<int>(i + 1);
  }
  return 0;
}

}  // namespace scenario
