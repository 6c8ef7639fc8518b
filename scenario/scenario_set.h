#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive/member_sink.h"

namespace scenario {

// The game's scenario files ("MES/*.SIO") and their fixed numbers: a
// scenario's number is its slot in the list, counted from 1, and names the
// translated member "SEEN%03d.TXT". "PROLOGUE.SIO" is always number 1.
class ScenarioSet {
 public:
  static constexpr size_t kMaxScenarios = 999;

  // Lists the scenario files of `gameFolder` (ending in the separator)
  // afresh, upper-cased, in the order the search finds them, with the
  // prologue exchanged into slot 1. Files beyond the 999th are left out with
  // a warning line each; a prologue found that late still takes slot 1, and
  // the name found first is left out instead.
  void ListScenarios(const std::string& gameFolder);

  // Translates every listed scenario and hands each result to `sink` as
  // "SEEN%03d.TXT". A file that cannot be read or is empty is skipped
  // silently; one longer than 65,536 bytes is skipped with a warning line.
  // Skipped files keep their numbers.
  void ConvertScenarios(const std::string& gameFolder, archive::MemberSink& sink) const;

  // The number of the scenario whose file name equals `name` (compared
  // whole, regardless of ASCII letter case), or 0 when none does.
  int LookupScenario(std::string_view name) const;

  size_t Count() const { return names_.size(); }
  // The upper-cased file name of scenario `number` (1 to Count()).
  const std::string& Name(size_t number) const { return names_[number - 1]; }

 private:
  std::vector<std::string> names_;
};

}  // namespace scenario
