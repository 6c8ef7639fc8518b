#include "sample/sample_game.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

#include "sample/moe_encoder.h"
#include "sample/sample_pictures.h"
#include "sample/sample_scenarios.h"
#include "sample/sample_sprites.h"
#include "sample/sio_writer.h"

namespace tools {
namespace {

namespace fs = std::filesystem;

constexpr int kScreenWidth = 640;
constexpr int kScreenHeight = 480;
constexpr int kSpriteWidth = 400;  // the width the game lays sprites out with
constexpr int kBenchScenarios = 120;
constexpr int kBenchPictures = 600;
constexpr double kMaxBenchScale = 4;
constexpr uint64_t kScenarioSeed = 0x53494F2D53414D50ull;
constexpr uint64_t kPictureSeed = 0x4D4F452D53414D50ull;

struct PicturePlan {
  std::string path;  // inside the game folder
  int width;
  int height;
  bool sprite;
  bool palette;  // palette form, else run-length form
};

// The small sample: a title picture and a menu in the game folder, the
// backgrounds the sample scenarios show, their sprites and three opening
// pictures, in both forms, some with lower-case names.
std::vector<PicturePlan> SamplePictures() {
  std::vector<PicturePlan> out = {
      {"TITLE.MOE", kScreenWidth, kScreenHeight, false, true},
      {"menu.moe", kScreenWidth, kScreenHeight, false, false},
      {"CG/BG01.MOE", kScreenWidth, kScreenHeight, false, true},
      {"CG/BG02.MOE", kScreenWidth, kScreenHeight, false, false},
      {"CG/bg03.moe", kScreenWidth, kScreenHeight, false, true},
      {"CG/BG04.MOE", kScreenWidth, kScreenHeight, false, false},
      {"CG/EV01.MOE", kScreenWidth, kScreenHeight, false, true},
      {"CG/EV02.MOE", kScreenWidth, kScreenHeight, false, false},
      {"OPENING/OP01.MOE", kScreenWidth, kScreenHeight, false, true},
      {"OPENING/OP02.MOE", kScreenWidth, kScreenHeight, false, false},
      {"OPENING/OP03.MOE", kScreenWidth, kScreenHeight, false, true},
  };
  // The sprites the sample scenarios show, by their sprite-table names.
  const char* sprites[] = {"AOI1A01", "AOI1B01", "AOI2A01", "AOI3a03", "BEN1A01", "BEN1A02", "CHI1A01",
                           "DAN1A01", "EMI9",    "FUU1A01", "GIN1_01", "HIO1A01", "SUB_01"};
  bool palette = true;
  for (const char* name : sprites) {
    out.push_back({std::string("TACHI/") + name + ".MOE", kSpriteWidth, kScreenHeight, true, palette});
    palette = !palette;
  }
  out.back().path = "TACHI/sub_01.moe";
  return out;
}

// The bench sample: a fifth of the pictures are sprites, the rest
// backgrounds, mostly in "CG"; the forms alternate.
std::vector<PicturePlan> BenchPictures(double scale, BenchCast& cast) {
  const int total = std::max(1, static_cast<int>(std::lround(kBenchPictures * scale)));
  const int sprites = total / 5;
  const int opening = std::max(1, total / 40);
  const int root = std::max(1, total / 100);
  const int backgrounds = std::max(0, total - sprites - opening - root);

  std::vector<std::string> spriteNames;
  std::set<std::string> seen;
  for (const SpriteSlot& slot : SpriteSlots()) {
    if (seen.insert(slot.name).second) spriteNames.push_back(slot.name);
  }
  for (int i = static_cast<int>(spriteNames.size()); i < sprites; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "SPR%04d", i);
    spriteNames.push_back(name);
  }
  spriteNames.resize(static_cast<size_t>(sprites));
  std::set<std::string> shown(spriteNames.begin(), spriteNames.end());
  for (const SpriteSlot& slot : SpriteSlots()) {
    if (shown.count(slot.name)) cast.sprites.push_back(slot.number);
  }

  std::vector<PicturePlan> out;
  char name[32];
  for (int i = 0; i < root; ++i) {
    std::snprintf(name, sizeof name, "SYS%02d.MOE", i + 1);
    out.push_back({name, kScreenWidth, kScreenHeight, false, false});
  }
  for (int i = 0; i < backgrounds; ++i) {
    std::snprintf(name, sizeof name, i % 4 == 3 ? "EV%03d.MOE" : "BG%03d.MOE", i + 1);
    cast.backgrounds.push_back(name);
    out.push_back({std::string("CG/") + name, kScreenWidth, kScreenHeight, false, false});
  }
  for (const std::string& sprite : spriteNames) {
    out.push_back({"TACHI/" + sprite + ".MOE", kScreenWidth, kScreenHeight, true, false});
  }
  for (int i = 0; i < opening; ++i) {
    std::snprintf(name, sizeof name, "OP%02d.MOE", i + 1);
    out.push_back({std::string("OPENING/") + name, kScreenWidth, kScreenHeight, false, false});
  }
  for (size_t i = 0; i < out.size(); ++i) out[i].palette = i % 2 == 0;
  return out;
}

void WriteFile(const fs::path& path, const void* data, size_t size, SampleReport& report) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  if (!out) throw std::runtime_error("cannot write " + path.string());
  report.bytes += size;
}

void WriteFile(const fs::path& path, std::string_view bytes, SampleReport& report) {
  WriteFile(path, bytes.data(), bytes.size(), report);
}

void WritePicture(const fs::path& game, const PicturePlan& plan, uint64_t seed, SampleReport& report) {
  Picture picture = plan.sprite ? PaintSprite(plan.width, plan.height, seed)
                                : PaintBackground(plan.width, plan.height, seed, plan.palette);
  std::vector<uint8_t> bytes = plan.palette
                                   ? EncodePaletteForm(picture.width, picture.height, picture.pixels.data())
                                   : EncodeRunLength(picture.width, picture.height, picture.pixels.data());
  WriteFile(game / plan.path, bytes.data(), bytes.size(), report);
  ++report.pictures;
}

// Clears a game folder of an earlier run; refuses a folder that holds
// anything else.
void PrepareGameFolder(const fs::path& game) {
  if (fs::exists(game)) {
    if (!fs::is_directory(game)) throw std::runtime_error(game.string() + " is not a folder");
    if (!fs::is_empty(game)) {
      if (!fs::exists(game / kSampleMarker)) {
        throw std::runtime_error(game.string() + " is not empty and was not written by make_sample_game");
      }
      for (const fs::directory_entry& entry : fs::directory_iterator(game)) fs::remove_all(entry.path());
    }
  }
  for (const char* sub : {"MES", "CG", "TACHI", "OPENING"}) fs::create_directories(game / sub);
}

void WriteDataFiles(const fs::path& data, SampleReport& report) {
  fs::create_directories(data);
  WriteFile(data / "SAMPLE.TXT",
            "Sample data files of the synthetic sample game written by make_sample_game.\r\n" +
                Sjis("サンプルゲーム用のデータです。中身はすべて架空のものです。\r\n"),
            report);
  std::string info = "SMPLINFO";
  for (uint8_t b : {1, 0, 5, 0, 23, 0, 0, 0}) info.push_back(static_cast<char>(b));
  info += Sjis("夏の港町") + std::string(1, '\0');
  WriteFile(data / "GAMEINFO.DAT", info, report);
  WriteFile(data / "voice.lst",
            "V0001 PROLOGUE 12\r\nV0002 PROLOGUE 15\r\nV0101 DAY01 3\r\nV0102 DAY01 8\r\nV0201 DAY02 20\r\n",
            report);
  report.dataFiles = 3;
}

void WriteAll(const fs::path& game, const fs::path& data, const SampleOptions& options,
              SampleReport& report) {
  const bool bench = options.benchScale > 0;
  PrepareGameFolder(game);
  WriteFile(game / kSampleMarker,
            "Synthetic sample game written by make_sample_game; everything in this folder is made up.\r\n"
            "A later run of make_sample_game replaces this folder's contents.\r\n",
            report);

  BenchCast cast;
  std::vector<PicturePlan> pictures = bench ? BenchPictures(options.benchScale, cast) : SamplePictures();
  uint64_t seed = kPictureSeed;
  for (const PicturePlan& plan : pictures) WritePicture(game, plan, seed++, report);
  if (options.blackScreen) {
    const std::vector<uint8_t> black(size_t{kScreenWidth} * kScreenHeight * 3, 0);
    const std::vector<uint8_t> bytes = EncodeRunLength(kScreenWidth, kScreenHeight, black.data());
    WriteFile(game / "BLACK.MOE", bytes.data(), bytes.size(), report);
    ++report.pictures;
  }

  std::vector<ScenarioFile> scenarios;
  if (bench) {
    int count = std::max(1, static_cast<int>(std::lround(kBenchScenarios * options.benchScale)));
    scenarios = BenchScenarios(count, cast, kScenarioSeed);
  } else {
    scenarios = SampleScenarios();
  }
  for (const ScenarioFile& s : scenarios) {
    WriteFile(game / "MES" / s.name, s.bytes.data(), s.bytes.size(), report);
    ++report.scenarios;
  }
  WriteDataFiles(data, report);
}

}  // namespace

bool WriteSampleGame(const fs::path& gameFolder, const fs::path& dataFolder, const SampleOptions& options,
                     SampleReport& report, std::string& error) {
  report = {};
  if (!(options.benchScale >= 0 && options.benchScale <= kMaxBenchScale)) {
    error = "the bench scale must be above 0 and at most 4";
    return false;
  }
  try {
    WriteAll(gameFolder, dataFolder, options, report);
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
  return true;
}

}  // namespace tools
