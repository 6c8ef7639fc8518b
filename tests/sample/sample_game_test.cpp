#include "sample/sample_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "scenario/source_opcodes.h"
#include "support/test_support.h"
#include "sample/reference_moe_decoder.h"
#include "sample/reference_sio_walker.h"
#include "sample/sample_scenarios.h"
#include "sample/sample_sprites.h"
#include "sample/sio_writer.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::TempDir;

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

// Every file below `root`, by its path relative to it, with its bytes.
std::map<std::string, std::vector<uint8_t>> Files(const fs::path& root) {
  std::map<std::string, std::vector<uint8_t>> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.is_regular_file()) out[fs::relative(e.path(), root).generic_string()] = ReadFile(e.path());
  }
  return out;
}

std::string Folder(const std::string& relative) {
  size_t slash = relative.find('/');
  return slash == std::string::npos ? "" : relative.substr(0, slash);
}

std::string BaseName(const std::string& relative) {
  std::string name = relative.substr(relative.rfind('/') + 1);
  return Upper(name.substr(0, name.find('.')));
}

bool IsMoe(const std::string& relative) { return Upper(relative).ends_with(".MOE"); }
bool IsPaletteForm(const std::vector<uint8_t>& f) { return f.size() >= 4 && f[0] == 0x4D && f[3] == 0x1A; }
bool IsKey(const uint8_t* p) { return p[0] == 0 && p[1] == 255 && p[2] == 0; }

bool DoubleByteOnly(const std::string& text) {
  for (size_t i = 0; i < text.size(); i += 2) {
    auto c = static_cast<unsigned char>(text[i]);
    if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) || i + 1 >= text.size()) return false;
  }
  return true;
}

// A scenario the converter can translate without a message: known opcodes
// only, every label on an instruction (or at the end), fewer than 256 jump
// slots, at most 16 options per menu, message text of double-byte
// characters.
void ExpectTranslatable(const std::string& name, const std::vector<uint8_t>& bytes,
                        const reference::SioWalk& w) {
  EXPECT_TRUE(w.clean) << name;
  EXPECT_LE(w.jumpSlots, 256) << name;
  EXPECT_LE(w.maxOptions, 16u) << name;
  for (size_t label : w.labels) {
    EXPECT_TRUE(w.starts.count(label) || label == bytes.size()) << name << " label " << label;
  }
  for (const std::string& m : w.messages) EXPECT_TRUE(DoubleByteOnly(m)) << name;
}

class SmallSample : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    std::string error;
    ASSERT_TRUE(tools::WriteSampleGame(Game(), Data(), {}, report_, error)) << error;
    game_ = Files(Game());
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static fs::path Game() { return dir_->Path() / "game"; }
  static fs::path Data() { return dir_->Path() / "DATA"; }

  static inline TempDir* dir_ = nullptr;
  static inline tools::SampleReport report_;
  static inline std::map<std::string, std::vector<uint8_t>> game_;
};

TEST_F(SmallSample, WritesScenariosPicturesInEveryFolderAndDataFiles) {
  std::map<std::string, std::set<bool>> formsByFolder;
  int scenarios = 0;
  bool lowerCaseScenario = false;
  for (const auto& [path, bytes] : game_) {
    if (IsMoe(path)) formsByFolder[Folder(path)].insert(IsPaletteForm(bytes));
    if (Folder(path) == "MES") {
      ++scenarios;
      lowerCaseScenario |= path != Upper(path);
    }
  }
  EXPECT_TRUE(game_.count("MES/PROLOGUE.SIO"));
  EXPECT_TRUE(lowerCaseScenario);
  EXPECT_EQ(scenarios, report_.scenarios);
  for (const char* folder : {"", "CG", "TACHI", "OPENING"}) {
    EXPECT_EQ(formsByFolder[folder], (std::set<bool>{false, true})) << "both forms in '" << folder << "'";
  }
  EXPECT_EQ(Files(Data()).size(), 3u);
  EXPECT_EQ(report_.dataFiles, 3);
}

TEST_F(SmallSample, PicturesDecodeWholeAndOnlySpritesUseTheKeyColour) {
  int pictures = 0;
  for (const auto& [path, bytes] : game_) {
    if (!IsMoe(path)) continue;
    ++pictures;
    reference::Decoded d = reference::DecodeMoe(bytes);
    EXPECT_TRUE(d.Complete()) << path;
    EXPECT_EQ(d.height, 480) << path;
    size_t keyed = 0;
    for (size_t i = 0; i < d.pixels.size(); i += 3) keyed += IsKey(&d.pixels[i]);
    if (Folder(path) == "TACHI") {
      EXPECT_TRUE(IsKey(&d.pixels[0])) << path;
      EXPECT_GT(keyed, d.pixels.size() / 3 / 4) << path;
      EXPECT_LT(keyed, d.pixels.size() / 3 * 3 / 4) << path;
    } else {
      EXPECT_EQ(d.width, 640) << path;
      EXPECT_EQ(keyed, 0u) << path;
    }
  }
  EXPECT_EQ(pictures, report_.pictures);
}

TEST_F(SmallSample, ScenariosUseEveryTranslatedOpcodeAndReferToExistingFiles) {
  const std::set<uint8_t> table(scenario::op::kKnownOpcodes.begin(), scenario::op::kKnownOpcodes.end());
  std::set<std::string> scenarioNames, pictureNames;
  for (const auto& [path, bytes] : game_) {
    if (Folder(path) == "MES") scenarioNames.insert(Upper(path.substr(4)));
    if (IsMoe(path)) pictureNames.insert(BaseName(path));
  }
  std::map<uint16_t, std::string> spriteNames;
  for (const tools::SpriteSlot& slot : tools::SpriteSlots()) spriteNames[slot.number] = Upper(slot.name);
  const std::set<std::string> black = {"BLK01", tools::Sjis("暗転")};

  std::set<uint8_t> used;
  std::string text;
  for (const auto& [path, bytes] : game_) {
    if (Folder(path) != "MES") continue;
    reference::SioWalk w = reference::WalkSio(bytes);
    ExpectTranslatable(path, bytes, w);
    used.insert(w.opcodes.begin(), w.opcodes.end());
    for (const std::string& m : w.messages) text += m;
    for (const std::string& s : w.scenarios) EXPECT_TRUE(scenarioNames.count(Upper(s))) << s;
    for (const std::string& b : w.backgrounds) {
      EXPECT_TRUE(black.count(b) || pictureNames.count(BaseName(b))) << path << ": " << b;
    }
    for (uint16_t s : w.sprites) {
      if (s != 0) {
        EXPECT_TRUE(pictureNames.count(spriteNames[s])) << path << ": sprite " << s;
      }
    }
  }
  EXPECT_EQ(used, table);
  // Names, quotes, the leading and trailing marks, the name placeholder and
  // indentation all occur in the text.
  for (const char* mark : {"【", "】", "「", "」", "●", "▼", "→", "　"}) {
    EXPECT_NE(text.find(tools::Sjis(mark)), std::string::npos) << mark;
  }
}

TEST_F(SmallSample, IsTheSameOnEveryRunAndReplacesOnlyItsOwnFolder) {
  TempDir other;
  tools::SampleReport report;
  std::string error;
  ASSERT_TRUE(tools::WriteSampleGame(other.Path() / "game", other.Path() / "DATA", {}, report, error));
  EXPECT_EQ(Files(other.Path() / "game"), game_);
  EXPECT_EQ(Files(other.Path() / "DATA"), Files(Data()));

  other.Write("game/CG/OLD.MOE", "stale");
  ASSERT_TRUE(tools::WriteSampleGame(other.Path() / "game", other.Path() / "DATA", {}, report, error));
  EXPECT_EQ(Files(other.Path() / "game"), game_);

  other.Write("mine/SAVE.DAT", "keep");
  EXPECT_FALSE(tools::WriteSampleGame(other.Path() / "mine", other.Path() / "DATA", {}, report, error));
  EXPECT_NE(error.find("not empty"), std::string::npos);
  EXPECT_EQ(Files(other.Path() / "mine").size(), 1u);

  EXPECT_FALSE(tools::WriteSampleGame(other.Path() / "big", other.Path() / "DATA", {5.0}, report, error));
}

TEST(BenchSample, CountsFormsAndKeyedShareFollowTheScale) {
  TempDir dir;
  tools::SampleReport report;
  std::string error;
  ASSERT_TRUE(tools::WriteSampleGame(dir.Path() / "game", dir.Path() / "DATA", {0.05}, report, error))
      << error;
  EXPECT_EQ(report.scenarios, 6);
  EXPECT_EQ(report.pictures, 30);
  int keyed = 0, palette = 0;
  for (const auto& [path, bytes] : Files(dir.Path() / "game")) {
    if (Folder(path) == "MES") {
      EXPECT_GE(bytes.size(), tools::kBenchScenarioMin) << path;
      EXPECT_LE(bytes.size(), tools::kBenchScenarioMax) << path;
    }
    if (!IsMoe(path)) continue;
    reference::Decoded d = reference::DecodeMoe(bytes);
    EXPECT_TRUE(d.Complete()) << path;
    EXPECT_EQ(d.width, 640);
    EXPECT_EQ(d.height, 480);
    keyed += IsKey(&d.pixels[0]);
    palette += IsPaletteForm(bytes);
  }
  EXPECT_EQ(keyed, 6);
  EXPECT_EQ(palette, 15);
}

TEST(BenchScenarios, FullCountStaysWithinSizeAndLabelLimitsAndChainsTheScenarios) {
  tools::BenchCast cast{{"BG001.MOE", "EV004.MOE"}, {1, 30, 100}};
  std::vector<tools::ScenarioFile> all = tools::BenchScenarios(120, cast, 1);
  ASSERT_EQ(all.size(), 120u);
  EXPECT_EQ(all[0].name, "PROLOGUE.SIO");
  EXPECT_EQ(all[4].name, "s005.sio");
  std::set<uint8_t> used;
  for (size_t i = 0; i < all.size(); ++i) {
    const tools::ScenarioFile& s = all[i];
    EXPECT_GE(s.bytes.size(), tools::kBenchScenarioMin) << s.name;
    EXPECT_LE(s.bytes.size(), tools::kBenchScenarioMax) << s.name;
    reference::SioWalk w = reference::WalkSio(s.bytes);
    ExpectTranslatable(s.name, s.bytes, w);
    used.insert(w.opcodes.begin(), w.opcodes.end());
    ASSERT_FALSE(w.scenarios.empty());
    EXPECT_EQ(w.scenarios.back(), all[(i + 1) % all.size()].name);
  }
  EXPECT_EQ(used.size(), scenario::op::kKnownOpcodes.size());  // every opcode of the table
}

}  // namespace
