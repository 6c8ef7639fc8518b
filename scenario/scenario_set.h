#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"

namespace scenario {

// The game's scenario files ("MES/*.SIO") and their fixed numbers: a
// scenario's number is its slot in the list, counted from 1, and names the
// translated member "SEEN%03d.TXT". "PROLOGUE.SIO" is always number 1.
class ScenarioSet {
 public:
  static constexpr size_t kMaxScenarios = 999;

  // Forgets every name.
  void Clear() {
    names_.clear();
    files_.clear();
  }

  // One name as the file search found it (bare name in Shift-JIS, any
  // case): upper-cased and numbered in finding order, the prologue
  // exchanged into slot 1. `fileName` is the file's own name on the system,
  // to read it by (empty: `found` itself). Names beyond the 999th are left
  // out with a warning line each; a prologue found that late still takes
  // slot 1, and the name found first is left out instead.
  void AddFoundName(std::string_view found, base::Diagnostics& diag, std::string_view fileName = {});

  // The number of the scenario whose file name equals `name` (compared
  // whole, regardless of ASCII letter case), or 0 when none does.
  int LookupScenario(std::string_view name) const;

  size_t Count() const { return names_.size(); }
  // The upper-cased file name of scenario `number` (1 to Count()).
  const std::string& Name(size_t number) const { return names_[number - 1]; }
  // The system's own name of the file of scenario `number`.
  const std::string& FileName(size_t number) const { return files_[number - 1]; }

 private:
  std::vector<std::string> names_;
  std::vector<std::string> files_;  // in the same slots as names_
};

}  // namespace scenario
