#include "scenario/scenario_set.h"

#include <cstdio>
#include <memory>
#include <utility>

#include "archive/upper_case_name.h"
#include "platform/console.h"
#include "platform/file_io.h"
#include "platform/file_search.h"
#include "platform/paths.h"
#include "scenario/translator.h"

namespace scenario {
namespace {

constexpr std::string_view kPrologue = "PROLOGUE.SIO";

std::string ScenarioFolder(const std::string& gameFolder) {
  return gameFolder + "MES" + std::string(platform::kSeparatorString);
}

}  // namespace

void ScenarioSet::ListScenarios(const std::string& gameFolder) {
  names_.clear();
  for (const char* found = platform::FindFirstName(ScenarioFolder(gameFolder) + "*.SIO"); found;
       found = platform::FindNextName()) {
    std::string name = found;
    archive::UpperCaseName(name);
    if (names_.size() == kMaxScenarios) {
      // The prologue keeps number 1 whatever the search order: it takes the
      // first slot, and the name found first is left out in its place.
      const char* leftOut = found;
      if (name == kPrologue && names_.front() != kPrologue) {
        std::swap(names_.front(), name);
        leftOut = name.c_str();
      }
      console::Printf("Warning : more than 999 scenario files, left out: %s\n", leftOut);
      continue;
    }
    names_.push_back(std::move(name));
    // Exchanged, not inserted: only the name found first changes its number.
    if (names_.back() == kPrologue && names_.size() > 1) std::swap(names_.front(), names_.back());
  }
}

void ScenarioSet::ConvertScenarios(const std::string& gameFolder, archive::MemberSink& sink) const {
  // The translator holds two 64 KiB buffers: too large for the stack.
  auto t = std::make_unique<Translator>();
  t->scenarios = this;
  const std::string folder = ScenarioFolder(gameFolder);
  std::vector<uint8_t> bytes;
  console::PassProgress progress("Scenarios");
  for (size_t number = 1; number <= names_.size(); ++number) {
    const std::string& name = Name(number);
    progress.Next(name);
    switch (platform::ReadWholeFile(folder + name, bytes, Source::kCapacity)) {
      case platform::ReadStatus::kOk:
        break;
      case platform::ReadStatus::kTooLarge:
        console::Printf("Warning : scenario file longer than 65536 bytes, skipped: %s\n", name.c_str());
        continue;
      default:  // cannot be opened or read, or empty
        continue;
    }
    t->src.Load(bytes.data(), bytes.size());
    t->sourceName = name;
    TranslateScenario(*t);
    char member[16];
    std::snprintf(member, sizeof member, "SEEN%03zu.TXT", number);
    sink.AddMember(member, t->out.Data(), static_cast<size_t>(t->out.Len()));
  }
}

int ScenarioSet::LookupScenario(std::string_view name) const {
  std::string key(name);
  archive::UpperCaseName(key);
  for (size_t i = 0; i < names_.size(); ++i) {
    if (names_[i] == key) return static_cast<int>(i + 1);
  }
  return 0;
}

}  // namespace scenario
