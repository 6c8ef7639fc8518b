#include "scenario/scenario_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/upper_case_name.h"
#include "platform/file_search.h"
#include "scenario/sio_builder.h"
#include "support/test_support.h"

namespace {

using scenario::ScenarioSet;
using test_support::ConsoleText;
using test_support::Hex;
using test_support::RecordingSink;
using test_support::TempDir;

// The names the search yields in the scenario folder, in its own order.
std::vector<std::string> FoundNames(const TempDir& dir, const std::string& folder) {
  std::vector<std::string> names;
  for (const char* n = platform::FindFirstName(dir.Folder() + folder + "/*.SIO"); n;
       n = platform::FindNextName()) {
    names.push_back(n);
  }
  return names;
}

std::vector<std::string> Listed(const ScenarioSet& set) {
  std::vector<std::string> names;
  for (size_t n = 1; n <= set.Count(); ++n) names.push_back(set.Name(n));
  return names;
}

TEST(ScenarioList, NumbersFollowTheSearchWithThePrologueExchangedIntoSlotOne) {
  TempDir dir;
  for (const char* name : {"prologue.sio", "A.SIO", "b.sio"}) dir.Write(std::string("mes/") + name, "\x01");
  dir.Write("mes/NOTES.TXT", "x");
  std::filesystem::create_directories(dir.Path() / "mes" / "SUB.SIO");
  // The order is the file system's: add names until the prologue is not
  // found first, so that the exchange happens.
  for (int i = 0; i < 20 && FoundNames(dir, "mes").front() == "prologue.sio"; ++i) {
    dir.Write("mes/PAD" + std::to_string(i) + ".SIO", "\x01");
  }
  std::vector<std::string> expected = FoundNames(dir, "mes");
  ASSERT_NE(expected.front(), "prologue.sio");
  for (std::string& n : expected) archive::UpperCaseName(n);
  std::iter_swap(expected.begin(), std::find(expected.begin(), expected.end(), "PROLOGUE.SIO"));

  ScenarioSet set;
  set.ListScenarios(dir.Folder());
  set.ListScenarios(dir.Folder());  // afresh, not appended
  EXPECT_EQ(Listed(set), expected);
}

TEST(ScenarioList, BeyondNineHundredNinetyNineFilesEachFurtherOneIsLeftOutWithAWarning) {
  TempDir dir;
  for (int i = 0; i < 1001; ++i) dir.Write("MES/S" + std::to_string(i) + ".SIO", "");
  std::vector<std::string> found = FoundNames(dir, "MES");
  ConsoleText console;
  ScenarioSet set;
  set.ListScenarios(dir.Folder());
  found.resize(999);
  EXPECT_EQ(Listed(set), found);
  EXPECT_EQ(std::count(console.Text().begin(), console.Text().end(), '\n'), 2);
  EXPECT_TRUE(console.Text().starts_with("Warning : more than 999 scenario files, left out: S"));
}

TEST(ScenarioList, APrologueFoundBeyondTheTableStillTakesSlotOneFromTheNameFoundFirst) {
  TempDir dir;
  for (int i = 0; i < 1100; ++i) dir.Write("MES/S" + std::to_string(i) + ".SIO", "");
  // The search order is the file system's: try spellings of the prologue's
  // name until one is found behind the 999th name.
  std::vector<std::string> found;
  for (int variant = 0; variant < 2048; ++variant) {
    std::string name = "prologue.sio";
    for (size_t bit = 0; bit < 11; ++bit) {
      size_t at = bit < 8 ? bit : bit + 1;  // skip the dot
      if (variant & (1 << bit)) name[at] = static_cast<char>(name[at] - 0x20);
    }
    const std::string path = dir.Write("MES/" + name, "");
    found = FoundNames(dir, "MES");
    if (std::find(found.begin(), found.end(), name) - found.begin() >= 999) break;
    std::filesystem::remove(path);
    found.clear();
  }
  if (found.empty()) GTEST_SKIP() << "this file system never lists a new name late";

  ConsoleText console;
  ScenarioSet set;
  set.ListScenarios(dir.Folder());
  ASSERT_EQ(set.Count(), 999u);
  EXPECT_EQ(set.Name(1), "PROLOGUE.SIO");
  for (size_t n = 2; n <= 999; ++n) ASSERT_EQ(set.Name(n), found[n - 1]);
  EXPECT_EQ(std::count(console.Text().begin(), console.Text().end(), '\n'), 102);
  EXPECT_NE(console.Text().find("Warning : more than 999 scenario files, left out: " + found[0] + "\n"),
            std::string::npos);
  EXPECT_EQ(console.Text().find("PROLOGUE"), std::string::npos);
}

TEST(ScenarioConversion, EachReadableFileIsStoredUnderItsNumberAndSkippedOnesKeepTheirs) {
  TempDir dir;
  dir.Write("mes/prologue.sio", scenario_test::Sio().Op(0x04).Str("b.Sio").Op(0x04).Str("b.sio.").Bytes());
  dir.Write("mes/b.sio", Hex("0B 0001 000002"));
  dir.Write("mes/EMPTY.SIO", "");
  dir.Write("mes/BIG.SIO", std::vector<uint8_t>(65537, 0));
  dir.Write("mes/FULL.SIO", std::vector<uint8_t>(65536, 0));
  ConsoleText console;
  ScenarioSet set;
  set.ListScenarios(dir.Folder());
  RecordingSink sink;
  set.ConvertScenarios(dir.Folder(), sink);

  EXPECT_EQ(console.Text(), "Warning : scenario file longer than 65536 bytes, skipped: BIG.SIO\n");
  auto seen = [&](const char* file) { return "SEEN00" + std::to_string(set.LookupScenario(file)) + ".TXT"; };
  std::vector<std::string> expected = {seen("PROLOGUE.SIO"), seen("B.SIO"), seen("FULL.SIO")};
  std::sort(expected.begin(), expected.end());  // stored in ascending number
  std::vector<std::string> names;
  for (const auto& m : sink.members) names.push_back(m.name);
  ASSERT_EQ(names, expected);
  EXPECT_EQ(names[0], "SEEN001.TXT");
  const std::vector<uint8_t> code(sink.members[0].bytes.begin() + 99, sink.members[0].bytes.end());
  EXPECT_EQ(code, Hex("16 01 1" + std::to_string(set.LookupScenario("B.SIO")) + "16 01 10"));
  const size_t full =
      static_cast<size_t>(std::find(names.begin(), names.end(), seen("FULL.SIO")) - names.begin());
  EXPECT_EQ(sink.members[full].bytes.size(), 99u);
}

TEST(ScenarioLookup, ComparesTheWholeNameWithoutRegardToCase) {
  TempDir dir;
  ConsoleText console;
  ScenarioSet set;
  RecordingSink sink;
  set.ListScenarios(dir.Folder());  // no scenario folder at all
  set.ConvertScenarios(dir.Folder(), sink);
  EXPECT_EQ(set.LookupScenario("A.SIO"), 0);
  EXPECT_TRUE(sink.members.empty());
  EXPECT_EQ(console.Text(), "");

  const std::string longName = "A_VERY_LONG_SCENARIO_NAME_OF_FORTY_BYTES.SIO";
  dir.Write("MES/" + longName, "\x01");
  set.ListScenarios(dir.Folder());
  EXPECT_EQ(set.LookupScenario("a_very_long_scenario_name_of_forty_bytes.sio"), 1);
  EXPECT_EQ(set.LookupScenario(longName.substr(0, 31)), 0);
}

}  // namespace
