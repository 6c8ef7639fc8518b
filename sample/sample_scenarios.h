#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Made-up scenarios for the sample game, written with SioWriter.
namespace tools {

struct ScenarioFile {
  std::string name;  // as written into "MES", letter case included
  std::vector<uint8_t> bytes;
};

// The small sample: a prologue and four days of a summer story, which
// together use every opcode the converter translates. Backgrounds and
// sprites refer to the pictures of the small sample.
std::vector<ScenarioFile> SampleScenarios();

// What the bench scenarios may show.
struct BenchCast {
  std::vector<std::string> backgrounds;  // picture names with extension
  std::vector<uint16_t> sprites;         // sprite numbers whose pictures exist
};

// `count` generated scenarios of 10 to 60 KB each: "PROLOGUE.SIO" and then
// "S002.SIO" onwards (every fifth name in lower case), each ending with a
// jump to the next. Every scenario stays under 256 jump labels.
std::vector<ScenarioFile> BenchScenarios(int count, const BenchCast& cast, uint64_t seed);

// Smallest and largest size of a bench scenario.
inline constexpr size_t kBenchScenarioMin = 10 * 1024;
inline constexpr size_t kBenchScenarioMax = 60 * 1024;

}  // namespace tools
