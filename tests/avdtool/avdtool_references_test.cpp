// The pictures a game's scenarios show, as the translator's emitters
// recorded them, against what the converter warns of and what verify finds
// in the archive: a small game with some pictures taken away.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "archive/archive_writer.h"
#include "avdtool/references.h"
#include "avdtool_support.h"
#include "base/sjis.h"
#include "driver/dispatch_table.h"
#include "driver/driver.h"
#include "platform/output_file.h"
#include "scenario/scenario_translator.h"

namespace {

namespace fs = std::filesystem;
using avdtool_test::Bytes;
using avdtool_test::Tpc;
using test_support::Hex;
using test_support::TempDir;

// The references each scenario's translation recorded, by member name.
using Recorded = std::map<std::string, std::vector<scenario::PictureReference>>;

Recorded RecordedReferences(const std::string& gameFolder) {
  base::CollectedDiagnostics quiet;
  test_support::CapturedConsole console;
  test_support::RecordingSink unused;
  scenario::ScenarioSet scenarios;
  driver::ListScenarios(gameFolder, scenarios, {console.Console(), quiet, unused});
  scenario::ScenarioTranslator translator(driver::TranslatorDispatchTable(), scenarios, quiet);
  Recorded recorded;
  for (size_t n = 1; n <= scenarios.Count(); ++n) {
    const std::vector<uint8_t> source =
        test_support::ReadFile(fs::path(gameFolder) / "MES" / scenarios.FileName(n));
    translator.Translate(source, scenarios.Name(n));
    char member[16];
    std::snprintf(member, sizeof member, "SEEN%03zu.TXT", n);
    recorded[member] = translator.State().pictures;
  }
  return recorded;
}

struct Converted {
  std::vector<uint8_t> archive;
  std::string lines;
};

Converted Convert(const TempDir& bin, const TempDir& game) {
  static const platform::DiskFileStore kDisk{};
  test_support::CapturedConsole out;
  archive::ArchiveWriter writer(out.Diag(), kDisk, 1);
  EXPECT_TRUE(writer.OpenSpool(bin.Folder()));
  driver::PictureCheck pictures;
  driver::ConvertGame(
      {game.Folder(), bin.Folder() + "DATA/"},
      {out.Console(), writer.OrderedDiagnostics(), writer, driver::ListMatchingNames, &pictures});
  archive::ArchiveHeader header = archive::MakeHeader();
  EXPECT_TRUE(writer.FinishArchive(bin.Folder() + "DAV299.AVD", header).written);
  return {test_support::ReadFile(bin.Path() / "DAV299.AVD"), out.Text()};
}

TEST(PictureReferences, TheWarningAndVerifyFindWhatTheEmittersRecordedAndTheArchiveLacks) {
  TempDir bin, game;
  tools::SampleReport report;
  std::string error;
  ASSERT_TRUE(tools::WriteSampleGame(game.Path(), bin.Path() / "DATA", {}, report, error)) << error;
  // Taken away, with the folder each came from; the sample lacks the black
  // screen besides.
  const std::map<std::string, std::string> removed = {
      {"BG02", "CG"}, {"AOI1B01", "TACHI"}, {"BEN1A02", "TACHI"}, {"GIN1_01", "TACHI"}, {"SUB_01", "TACHI"}};
  for (const auto& [name, folder] : removed) {
    bool gone = false;
    for (const fs::directory_entry& e : fs::directory_iterator(game.Path() / folder)) {
      std::string stem = e.path().stem().string();
      for (char& c : stem) c = static_cast<char>(base::AsciiUpper(c));
      if (stem == name) gone = fs::remove(e.path());
    }
    ASSERT_TRUE(gone) << name;
  }

  const Recorded recorded = RecordedReferences(game.Folder());
  const Converted converted = Convert(bin, game);
  const archive::ArchiveReader reader(converted.archive);
  ASSERT_TRUE(reader.Ok());
  std::set<std::string> members;
  for (const archive::Entry& e : reader.Entries()) members.insert(e.name);

  // What the emitters wrote that the archive lacks, in order of first
  // showing (scenarios in their numbered order), and where.
  std::vector<std::string> missing;
  std::map<std::string, std::vector<avdtool::PicturePlace>> places;
  size_t shown = 0;
  std::set<std::string> seen;
  for (const auto& [scenarioMember, references] : recorded) {
    const std::vector<avdtool::ShownPicture> decoded = avdtool::PicturesShownByScenario([&] {
      std::vector<uint8_t> bytes;
      for (const archive::Entry& e : reader.Entries()) {
        if (e.name == scenarioMember) {
          EXPECT_EQ(reader.Unpack(e, bytes), archive::ReadError::kNone);
        }
      }
      return bytes;
    }());
    // verify reads back from the code exactly what the emitters recorded.
    ASSERT_EQ(decoded.size(), references.size()) << scenarioMember;
    for (size_t i = 0; i < references.size(); ++i) {
      EXPECT_EQ(decoded[i].name, references[i].name);
      EXPECT_EQ(decoded[i].nameOffset, references[i].offset);
      EXPECT_EQ(decoded[i].use, references[i].use);
      const std::string member = scenario::PictureMemberName(references[i].name);
      if (seen.insert(member).second) ++shown;
      if (members.count(member)) continue;
      if (places[member].empty()) missing.push_back(references[i].name);
      places[member].push_back({scenarioMember, decoded[i].instruction});
    }
  }
  std::vector<std::string> expectedMissing = {"BLACK"};
  for (const auto& [name, folder] : removed) expectedMissing.push_back(name);
  std::vector<std::string> sortedMissing = missing;
  std::sort(sortedMissing.begin(), sortedMissing.end());
  std::sort(expectedMissing.begin(), expectedMissing.end());
  ASSERT_EQ(sortedMissing, expectedMissing) << "every removed picture is shown by the sample";

  // The converter: one line, the count, the first three in order, the rest
  // counted, and TACHI, where four of the six came from.
  EXPECT_EQ(converted.lines,
            "Warning : 6 pictures that the scenarios show are not in the game folder: " + missing[0] + ", " +
                missing[1] + ", " + missing[2] + ", and 3 more (most belong in the folder TACHI)\n");

  // verify: each missing picture once, with every place the emitters wrote it.
  const avdtool::ReferenceCheck check = avdtool::CheckReferences(reader);
  EXPECT_EQ(check.shown, shown);
  ASSERT_EQ(check.missing.size(), missing.size());
  for (size_t i = 0; i < missing.size(); ++i) {
    const std::string member = scenario::PictureMemberName(missing[i]);
    EXPECT_EQ(check.missing[i].member, member);
    const std::vector<avdtool::PicturePlace>& want = places[member];
    ASSERT_EQ(check.missing[i].places.size(), want.size()) << member;
    for (size_t k = 0; k < want.size(); ++k) {
      EXPECT_EQ(check.missing[i].places[k].scenario, want[k].scenario);
      EXPECT_EQ(check.missing[i].places[k].offset, want[k].offset);
    }
  }
}

// A scenario with a background, the black screen and two sprites, and the
// archive that holds only some of them.
std::vector<uint8_t> ShowingCode() {
  return Hex(
      "0B30 5901 11 424731 00 0B05 40 11 10"         // background BG1
      "0B30 5901 11 424C41434B 00 6801 11 10 10 10"  // black screen
      "0B05 2A00 10"
      "0B30 0B22 02 40 11 10"                   // two sprites
      "03 41 00 10 10 2F18 2F1D 5CFEFFFFFF 10"  // A at -20
      "03 62 00 10 10 2F18 2F1D 2410 10"        // b at 260
      "5901 16 41 00");                         // string 6: not a picture
}

TEST(PictureReferences, ReadBackFromTheCodeAndReportedWithTheirFirstPlaces) {
  const std::vector<uint8_t> code = ShowingCode();
  std::vector<std::pair<std::string, uint32_t>> shown;
  for (const avdtool::ShownPicture& p : avdtool::PicturesShown(code))
    shown.emplace_back(p.name, p.instruction);
  const std::vector<std::pair<std::string, uint32_t>> expected = {
      {"BG1", 2}, {"BLACK", 16}, {"A", 38}, {"b", 38}};
  EXPECT_EQ(shown, expected);

  std::vector<test_support::Member> members = {{"B.PDT", Bytes("x")}, {"black.pdt", Bytes("x")}};
  // The scenario: the header, then the code.
  std::vector<uint8_t> scenario = Tpc({});
  base::PutU32(scenario.data() + 95, static_cast<uint32_t>(code.size()));
  scenario.resize(scenario.size() + code.size());
  std::copy(code.begin(), code.end(), scenario.end() - static_cast<ptrdiff_t>(code.size()));
  for (int n = 1; n <= 5; ++n) members.push_back({"SEEN00" + std::to_string(n) + ".TXT", scenario});
  const std::vector<uint8_t> file = avdtool_test::ArchiveOf(members);
  const archive::ArchiveReader reader(file);
  const avdtool::ReferenceCheck check = avdtool::CheckReferences(reader);
  EXPECT_EQ(check.shown, 4u);
  EXPECT_EQ(
      avdtool::ReferenceReport(check),
      "missing picture BG1.PDT, shown by SEEN001.TXT at 0x000002, SEEN002.TXT at 0x000002, SEEN003.TXT at "
      "0x000002 and 2 more places\n"
      "missing picture A.PDT, shown by SEEN001.TXT at 0x000026, SEEN002.TXT at 0x000026, SEEN003.TXT at "
      "0x000026 and 2 more places\n"
      "2 of 4 pictures shown are missing\n");

  std::string out;
  EXPECT_EQ(avdtool::ListReferences(reader, "seen002.txt", base::Translations(), out), 0);
  EXPECT_EQ(out,
            "000002  background  BG1.PDT  missing\n"
            "000010  background  BLACK.PDT\n"
            "000026  sprite      A.PDT  missing\n"
            "000026  sprite      B.PDT\n");
  EXPECT_EQ(avdtool::ListReferences(reader, "SEEN009.TXT", base::Translations(), out), 1);
  EXPECT_EQ(out, "no scenario member SEEN009.TXT that can be read\n");
}

}  // namespace
