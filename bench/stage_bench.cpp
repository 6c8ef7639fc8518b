// Throughput of the conversion stages, each on inputs like the bench-size
// sample game's: picture decoding in both source forms, halving into a PDT10
// member, scenario translation and LZO1X-999 compression. Bytes processed are
// the decoded pixels for decoding (640 × 480 × 3), the source pixels for
// halving, the source scenarios for translation and the uncompressed member
// for compression; each benchmark's label says what its input is.
#include <benchmark/benchmark.h>
#include <lzo/lzo1x.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "archive/lzo_worst_case.h"
#include "driver/dispatch_table.h"
#include "image/pdt_format.h"
#include "image/pdt_writer.h"
#include "image/source_image.h"
#include "scenario/scenario_set.h"
#include "scenario/scenario_translator.h"
#include "sample/moe_encoder.h"
#include "sample/sample_pictures.h"
#include "sample/sample_scenarios.h"
#include "sample/sample_sprites.h"

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int64_t kPixelBytes = int64_t{kWidth} * kHeight * 3;
constexpr uint64_t kSeed = 0x42454E4348ull;
constexpr int kScenarioCount = 24;  // a fifth of the bench sample's scenarios

std::string Kilobytes(size_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f KB", static_cast<double>(bytes) / 1000);
  return text;
}

enum class Kind { kGrainBackground, kFlatBackground, kSprite };

const tools::Picture& Painted(Kind kind) {
  static const tools::Picture grain = tools::PaintBackground(kWidth, kHeight, kSeed, true);
  static const tools::Picture flat = tools::PaintBackground(kWidth, kHeight, kSeed + 1, false);
  static const tools::Picture sprite = tools::PaintSprite(kWidth, kHeight, kSeed + 2);
  switch (kind) {
    case Kind::kGrainBackground:
      return grain;
    case Kind::kFlatBackground:
      return flat;
    case Kind::kSprite:
      break;
  }
  return sprite;
}

std::vector<uint8_t> Encoded(Kind kind, image::SourceForm form) {
  const tools::Picture& p = Painted(kind);
  return form == image::SourceForm::kPalette ? tools::EncodePaletteForm(p.width, p.height, p.pixels.data())
                                             : tools::EncodeRunLength(p.width, p.height, p.pixels.data());
}

const char* KindName(Kind kind) {
  switch (kind) {
    case Kind::kGrainBackground:
      return "grained background";
    case Kind::kFlatBackground:
      return "flat background";
    case Kind::kSprite:
      break;
  }
  return "sprite";
}

image::DecodedImage Decoded(Kind kind) {
  return *image::DecodeSourceImage(Encoded(kind, image::SourceForm::kRunLength));
}

// The bench sample's scenarios as the generator writes them.
const std::vector<tools::ScenarioFile>& Scenarios() {
  static const std::vector<tools::ScenarioFile> scenarios = [] {
    tools::BenchCast cast;
    for (int i = 1; i <= 40; ++i) cast.backgrounds.push_back("BG" + std::to_string(100 + i) + ".MOE");
    for (const tools::SpriteSlot& slot : tools::SpriteSlots()) {
      if (cast.sprites.size() < 60) cast.sprites.push_back(slot.number);
    }
    return tools::BenchScenarios(kScenarioCount, cast, kSeed);
  }();
  return scenarios;
}

// The converter's translator, with an empty scenario list.
struct BenchTranslator {
  scenario::ScenarioSet scenarios;
  base::CollectedDiagnostics diag;
  scenario::ScenarioTranslator translator{driver::TranslatorDispatchTable(), scenarios, diag};
};

// --- picture decoding -------------------------------------------------------

void Decode(benchmark::State& state, Kind kind, image::SourceForm form) {
  const std::vector<uint8_t> file = Encoded(kind, form);
  for (auto _ : state) {
    std::optional<image::DecodedImage> image = image::DecodeSourceImage(file);
    benchmark::DoNotOptimize(image);
  }
  state.SetBytesProcessed(state.iterations() * kPixelBytes);
  state.SetLabel(std::string(form == image::SourceForm::kPalette ? "palette" : "run-length") + " form, " +
                 KindName(kind) + ", file " + Kilobytes(file.size()));
}

BENCHMARK_CAPTURE(Decode, palette_background, Kind::kGrainBackground, image::SourceForm::kPalette);
BENCHMARK_CAPTURE(Decode, palette_sprite, Kind::kSprite, image::SourceForm::kPalette);
BENCHMARK_CAPTURE(Decode, runlength_background, Kind::kFlatBackground, image::SourceForm::kRunLength);
BENCHMARK_CAPTURE(Decode, runlength_grain_background, Kind::kGrainBackground, image::SourceForm::kRunLength);
BENCHMARK_CAPTURE(Decode, runlength_sprite, Kind::kSprite, image::SourceForm::kRunLength);

// --- halving ----------------------------------------------------------------

// HalveImage alone, into planes allocated once.
void Halve(benchmark::State& state, Kind kind) {
  const image::DecodedImage image = Decoded(kind);
  const size_t n = size_t{kWidth / 2} * (kHeight / 2);
  std::vector<uint8_t> pixelPlane(n * image::pdt::kPixelSize), alphaPlane(n);
  for (auto _ : state) {
    bool alpha = image::HalveImage(image, pixelPlane, alphaPlane);
    benchmark::DoNotOptimize(alpha);
    benchmark::DoNotOptimize(pixelPlane.data());
  }
  state.SetBytesProcessed(state.iterations() * kPixelBytes);
  state.SetLabel(std::string(KindName(kind)) + ", 640 x 480 pixels");
}

BENCHMARK_CAPTURE(Halve, background, Kind::kGrainBackground);
BENCHMARK_CAPTURE(Halve, sprite, Kind::kSprite);

// The whole member: allocation, halving and header.
void BuildMember(benchmark::State& state, Kind kind) {
  const image::DecodedImage image = Decoded(kind);
  for (auto _ : state) {
    std::optional<std::vector<uint8_t>> member = image::BuildPdtMember(image);
    benchmark::DoNotOptimize(member);
  }
  state.SetBytesProcessed(state.iterations() * kPixelBytes);
  state.SetLabel(std::string(KindName(kind)) + ", 640 x 480 pixels");
}

BENCHMARK_CAPTURE(BuildMember, background, Kind::kGrainBackground);
BENCHMARK_CAPTURE(BuildMember, sprite, Kind::kSprite);

// --- scenario translation ---------------------------------------------------

void Translate(benchmark::State& state) {
  const std::vector<tools::ScenarioFile>& scenarios = Scenarios();
  BenchTranslator t;
  int64_t bytes = 0;
  for (const tools::ScenarioFile& s : scenarios) bytes += static_cast<int64_t>(s.bytes.size());
  for (auto _ : state) {
    for (const tools::ScenarioFile& s : scenarios) {
      std::span<const uint8_t> target = t.translator.Translate(s.bytes, s.name);
      benchmark::DoNotOptimize(target.data());
    }
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetLabel(std::to_string(scenarios.size()) + " bench scenarios, " +
                 Kilobytes(static_cast<size_t>(bytes)));
}

BENCHMARK(Translate)->Name("TranslateScenario/bench_scenarios");

// --- LZO1X-999 --------------------------------------------------------------

std::vector<uint8_t> PdtMember(Kind kind) { return *image::BuildPdtMember(Decoded(kind)); }

// The translation of the bench scenario closest to the middle of the size
// range.
std::vector<uint8_t> TranslatedScenario() {
  const std::vector<tools::ScenarioFile>& scenarios = Scenarios();
  const size_t middle = (tools::kBenchScenarioMin + tools::kBenchScenarioMax) / 2;
  const tools::ScenarioFile* pick = &scenarios.front();
  for (const tools::ScenarioFile& s : scenarios) {
    auto distance = [&](size_t size) { return size > middle ? size - middle : middle - size; };
    if (distance(s.bytes.size()) < distance(pick->bytes.size())) pick = &s;
  }
  BenchTranslator t;
  std::span<const uint8_t> target = t.translator.Translate(pick->bytes, pick->name);
  return std::vector<uint8_t>(target.begin(), target.end());
}

void Compress(benchmark::State& state, const char* what, std::vector<uint8_t> (*make)()) {
  if (lzo_init() != LZO_E_OK) {
    state.SkipWithError("liblzo2 does not initialise");
    return;
  }
  const std::vector<uint8_t> member = make();
  std::vector<uint8_t> out(archive::LzoWorstCase(member.size()));
  std::vector<uint8_t> work(LZO1X_999_MEM_COMPRESS);
  lzo_uint packed = 0;
  for (auto _ : state) {
    lzo1x_999_compress(member.data(), member.size(), out.data(), &packed, work.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(member.size()));
  char packedShare[32];
  std::snprintf(packedShare, sizeof packedShare, "%.1f%%",
                100.0 * static_cast<double>(packed) / static_cast<double>(member.size()));
  state.SetLabel(std::string(what) + ", " + Kilobytes(member.size()) + ", packed to " + packedShare);
}

BENCHMARK_CAPTURE(Compress, pdt_background, "PDT10 member of a grained background", [] {
  return PdtMember(Kind::kGrainBackground);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compress, pdt_flat_background, "PDT10 member of a flat background", [] {
  return PdtMember(Kind::kFlatBackground);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compress, pdt_sprite, "PDT10 member of a sprite with alpha plane", [] {
  return PdtMember(Kind::kSprite);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Compress, scenario, "translated mid-size scenario", TranslatedScenario)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
