#include "scenario/scenario_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "scenario/sio_builder.h"
#include "support/test_support.h"

namespace {

namespace op = scenario::op;
using base::CollectedDiagnostics;
using scenario::ScenarioSet;
using test_support::Hex;

std::vector<std::string> Listed(const ScenarioSet& set) {
  std::vector<std::string> names;
  for (size_t n = 1; n <= set.Count(); ++n) names.push_back(set.Name(n));
  return names;
}

void AddAll(ScenarioSet& set, const std::vector<std::string>& found, base::Diagnostics& diag) {
  for (const std::string& name : found) set.AddFoundName(name, diag);
}

size_t Lines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(ScenarioList, NumbersFollowTheFindingOrderWithThePrologueExchangedIntoSlotOne) {
  CollectedDiagnostics diag;
  ScenarioSet set;
  AddAll(set, {"a.sio", "B.SIO", "prologue.sio", "c.Sio"}, diag);
  EXPECT_EQ(Listed(set), (std::vector<std::string>{"PROLOGUE.SIO", "B.SIO", "A.SIO", "C.SIO"}));

  set.Clear();
  AddAll(set, {"PROLOGUE.SIO", "x.sio"}, diag);  // found first: stays where it is
  EXPECT_EQ(Listed(set), (std::vector<std::string>{"PROLOGUE.SIO", "X.SIO"}));
  set.Clear();
  EXPECT_EQ(set.Count(), 0u);
  EXPECT_EQ(set.LookupScenario("PROLOGUE.SIO"), 0);
  EXPECT_EQ(diag.Text(), "");
}

TEST(ScenarioList, BeyondNineHundredNinetyNineNamesEachFurtherOneIsLeftOutWithAWarning) {
  std::vector<std::string> found;
  for (int i = 0; i < 1001; ++i) found.push_back("s" + std::to_string(i) + ".sio");
  CollectedDiagnostics diag;
  ScenarioSet set;
  AddAll(set, found, diag);
  ASSERT_EQ(set.Count(), ScenarioSet::kMaxScenarios);
  EXPECT_EQ(set.Name(999), "S998.SIO");
  // Named as found, not upper-cased.
  EXPECT_EQ(diag.Text(),
            "Warning : more than 999 scenario files, left out: s999.sio\n"
            "Warning : more than 999 scenario files, left out: s1000.sio\n");
}

TEST(ScenarioList, APrologueFoundBeyondTheTableStillTakesSlotOneFromTheNameFoundFirst) {
  std::vector<std::string> found;
  for (int i = 0; i < 1100; ++i) found.push_back("s" + std::to_string(i) + ".sio");
  found.insert(found.begin() + 1050, "Prologue.SIO");
  CollectedDiagnostics diag;
  ScenarioSet set;
  AddAll(set, found, diag);
  ASSERT_EQ(set.Count(), 999u);
  EXPECT_EQ(set.Name(1), "PROLOGUE.SIO");
  for (size_t n = 2; n <= 999; ++n) ASSERT_EQ(set.Name(n), "S" + std::to_string(n - 1) + ".SIO");
  EXPECT_EQ(Lines(diag.Text()), 102u);
  // The name that gave up slot 1 is reported as listed, in its place in the
  // finding order; the prologue is never reported.
  const std::string exchanged = "Warning : more than 999 scenario files, left out: S0.SIO\n";
  const size_t at = diag.Text().find(exchanged);
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(Lines(diag.Text().substr(0, at)), 1050u - 999u);
  EXPECT_EQ(diag.Text().find("rologue"), std::string::npos);
  EXPECT_EQ(diag.Text().find("PROLOGUE"), std::string::npos);

  // A second prologue that late is left out as found.
  diag.Clear();
  set.AddFoundName("prologue.sio", diag);
  EXPECT_EQ(diag.Text(), "Warning : more than 999 scenario files, left out: prologue.sio\n");
  EXPECT_EQ(set.Name(2), "S1.SIO");
}

TEST(ScenarioLookup, ComparesTheWholeNameWithoutRegardToCase) {
  CollectedDiagnostics diag;
  ScenarioSet set;
  EXPECT_EQ(set.LookupScenario("A.SIO"), 0);
  const std::string longName = "A_VERY_LONG_SCENARIO_NAME_OF_FORTY_BYTES.SIO";
  AddAll(set, {"b.sio", longName}, diag);
  EXPECT_EQ(set.LookupScenario("a_very_long_scenario_name_of_forty_bytes.sio"), 2);
  EXPECT_EQ(set.LookupScenario(longName.substr(0, 31)), 0);
  EXPECT_EQ(set.LookupScenario("B.sio"), 1);
  EXPECT_EQ(set.LookupScenario("B"), 0);
  EXPECT_EQ(set.LookupScenario(""), 0);
}

TEST(ScenarioLookup, TheTranslatorRefersToScenariosByTheirNumbers) {
  scenario_test::TestTranslator t;
  AddAll(t.scenarios, {"a.sio", "b.sio", "prologue.sio"}, t.diag);
  t.Translate(scenario_test::Sio()
                  .Op(op::kScenarioByName)
                  .Str("b.Sio")
                  .Op(op::kScenarioByName)
                  .Str("b.sio.")
                  .Op(op::kScenarioByName)
                  .Str("PROLOGUE.sio")
                  .Bytes());
  EXPECT_EQ(t.Code(), Hex("16 01 12 16 01 10 16 01 11"));
}

}  // namespace
