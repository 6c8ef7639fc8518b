#include <gtest/gtest.h>
#include <png.h>

#include <string>
#include <vector>

#include "audit/members.h"
#include "avdtool/contact_sheet.h"
#include "avdtool/png.h"
#include "avdtool_support.h"

namespace {

using namespace avdtool_test;

struct Decoded {
  uint32_t width = 0, height = 0;
  int colorType = -1;  // as the header states it: 2 RGB, 6 RGBA
  std::vector<uint8_t> rgba;

  std::vector<uint8_t> At(uint32_t x, uint32_t y) const {
    const size_t at = (size_t{y} * width + x) * 4;
    return {rgba.begin() + static_cast<ptrdiff_t>(at), rgba.begin() + static_cast<ptrdiff_t>(at + 4)};
  }
};

// Decodes with libpng's own reader, as RGBA.
Decoded Decode(const std::vector<uint8_t>& png) {
  Decoded d;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) {
    ADD_FAILURE() << "not a PNG: " << image.message;
    return d;
  }
  image.format = PNG_FORMAT_RGBA;
  d.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, d.rgba.data(), 0, nullptr)) {
    ADD_FAILURE() << "cannot decode: " << image.message;
    return d;
  }
  d.width = image.width;
  d.height = image.height;
  d.colorType = png.size() > 25 ? png[25] : -1;  // in IHDR, behind the signature and two words
  return d;
}

std::vector<uint8_t> PngOf(const std::vector<uint8_t>& member, std::string* note = nullptr) {
  const std::optional<audit::Picture> picture = audit::ReadPicture(member);
  EXPECT_TRUE(picture.has_value());
  if (!picture) return {};
  std::vector<uint8_t> png;
  std::string n, error;
  EXPECT_TRUE(avdtool::PictureToPng(*picture, png, n, error)) << error;
  if (note) *note = n;
  return png;
}

using Rgba = std::vector<uint8_t>;

TEST(AvdtoolPng, APictureWithAlphaDecodesToItsColoursAndAlpha) {
  // Every field at its extremes and in between: the top bits repeat into the
  // low ones.
  const std::vector<uint16_t> pixels = {Rgb565(31, 63, 31), Rgb565(0, 0, 0),  Rgb565(16, 32, 1),
                                        Rgb565(1, 1, 16),   Rgb565(31, 0, 0), Rgb565(0, 63, 0)};
  std::string note;
  const Decoded d = Decode(PngOf(Pdt(7, 5, pixels, {255, 0, 128, 64, 1, 200}), &note));
  EXPECT_EQ(note, "");
  ASSERT_EQ(d.width, 3u);
  ASSERT_EQ(d.height, 2u);
  EXPECT_EQ(d.colorType, PNG_COLOR_TYPE_RGB_ALPHA);
  EXPECT_EQ(d.At(0, 0), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(d.At(1, 0), (Rgba{0, 0, 0, 0}));
  EXPECT_EQ(d.At(2, 0), (Rgba{132, 130, 8, 128}));
  EXPECT_EQ(d.At(0, 1), (Rgba{8, 4, 132, 64}));
  EXPECT_EQ(d.At(1, 1), (Rgba{255, 0, 0, 1}));
  EXPECT_EQ(d.At(2, 1), (Rgba{0, 255, 0, 200}));
}

TEST(AvdtoolPng, APictureWithoutAlphaIsRgb) {
  const Decoded d = Decode(PngOf(Pdt(4, 2, {Rgb565(2, 40, 30), Rgb565(30, 3, 2)})));
  ASSERT_EQ(d.width, 2u);
  ASSERT_EQ(d.height, 1u);
  EXPECT_EQ(d.colorType, PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(d.At(0, 0), (Rgba{16, 162, 247, 255}));
  EXPECT_EQ(d.At(1, 0), (Rgba{247, 12, 16, 255}));
}

TEST(AvdtoolPng, APictureWithoutPixelsBecomesOneTransparentPixel) {
  for (const auto& [w, h] : {std::pair{1u, 1u}, std::pair{0u, 300u}, std::pair{640u, 1u}}) {
    std::string note;
    const Decoded d = Decode(PngOf(Pdt(w, h, {}), &note));
    EXPECT_EQ(note, "has no pixels; written as a 1 x 1 transparent PNG");
    ASSERT_EQ(d.width, 1u);
    ASSERT_EQ(d.height, 1u);
    EXPECT_EQ(d.At(0, 0)[3], 0);
  }
}

// Every picture the format holds has its PNG: a side of 32766 (the
// converter's widest), and beyond the million pixels that libpng refuses
// unless told.
TEST(AvdtoolPng, PicturesOfAnySideBecomePngsAndFailingRowsAreRefused) {
  std::vector<uint16_t> pixels(32766 * 8, Rgb565(0, 0, 31));
  pixels.back() = Rgb565(31, 0, 0);
  const Decoded wide = Decode(PngOf(Pdt(65532, 16, pixels)));
  ASSERT_EQ(wide.width, 32766u);
  ASSERT_EQ(wide.height, 8u);
  EXPECT_EQ(wide.At(0, 0), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(wide.At(32765, 7), (Rgba{255, 0, 0, 255}));

  const std::vector<uint8_t> png = PngOf(Pdt(2000002, 2, std::vector<uint16_t>(1000001)));
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(base::GetU32(png.data() + 16), 0x41420F00u);  // width 1000001, big-endian
  EXPECT_EQ(base::GetU32(png.data() + 20), 0x01000000u);  // height 1

  std::string error;
  std::vector<uint8_t> out(3, 1);
  const auto black = [](uint32_t, uint8_t* row) {
    row[0] = row[1] = row[2] = 0;
    return true;
  };
  EXPECT_FALSE(avdtool::EncodePng(0x80000000u, 1, false, black, out, error));
  EXPECT_EQ(error, "a PNG of 2147483648 x 1 is not written (at most 2147483647 x 2147483647)");
  EXPECT_TRUE(out.empty());

  const auto failAtRow3 = [](uint32_t y, uint8_t* row) {
    std::fill_n(row, 12, 0x55);
    return y < 3;
  };
  EXPECT_FALSE(avdtool::EncodePng(4, 10, false, failAtRow3, out, error));
  EXPECT_EQ(error, "row 3 could not be made");
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(avdtool::EncodePng(0, 10, false, failAtRow3, out, error));
  EXPECT_TRUE(avdtool::EncodePng(4, 3, false, failAtRow3, out, error));
  EXPECT_EQ(Decode(out).At(3, 2), (Rgba{0x55, 0x55, 0x55, 255}));
}

// The top-left corner of a thumbnail of w × h stored pixels (drawn 1:1) in
// the cell at column `c` of the first row.
std::pair<uint32_t, uint32_t> Corner(uint32_t c, uint32_t w, uint32_t h) {
  return {c * avdtool::kCellWidth + avdtool::kCellPadding + (avdtool::kThumbnailWidth - w) / 2,
          avdtool::kCellPadding + (avdtool::kThumbnailHeight - h) / 2};
}

// The pixels of the label's rows in cell `c` of row `r` that are drawn.
size_t LabelPixels(const Decoded& d, uint32_t c, uint32_t r) {
  size_t n = 0;
  const uint32_t top = r * avdtool::kCellHeight + avdtool::kCellPadding + avdtool::kThumbnailHeight + 4;
  for (uint32_t y = top; y < top + 7; ++y) {
    for (uint32_t x = c * avdtool::kCellWidth; x < (c + 1) * avdtool::kCellWidth; ++x) {
      if (d.At(x, y) == Rgba{0xE8, 0xE8, 0xE8, 255}) ++n;
    }
  }
  return n;
}

int Sheet(const std::vector<uint8_t>& file, uint32_t columns, Decoded& d, std::string& notes) {
  std::vector<uint8_t> png;
  notes.clear();
  const int status =
      avdtool::ExitCode(avdtool::MakeContactSheet(file, columns, base::Translations(), png, notes));
  d = png.empty() ? Decoded{} : Decode(png);
  return status;
}

TEST(AvdtoolContactSheet, DrawsEveryPictureLabelledWithAlphaOverACheckerboard) {
  Decoded d;
  std::string notes;
  ASSERT_EQ(Sheet(ArchiveOf(Handful()), 0, d, notes), 0) << notes;
  EXPECT_EQ(notes, "");
  // Two pictures: two cells, in directory order (KEYED.PDT, WIDE.PDT).
  EXPECT_EQ(d.colorType, PNG_COLOR_TYPE_RGB);
  ASSERT_EQ(d.width, 2 * avdtool::kCellWidth);
  ASSERT_EQ(d.height, avdtool::kCellHeight);

  const auto [kx, ky] = Corner(0, 2, 1);
  EXPECT_EQ(d.At(kx, ky), (Rgba{0, 255, 0, 255}));
  EXPECT_EQ(d.At(kx + 1, ky), (Rgba{0xA0, 0xA0, 0xA0, 255}));  // transparent: the checkerboard
  const auto [wx, wy] = Corner(1, 4, 2);
  for (uint32_t x = 0; x < 4; ++x) {
    EXPECT_EQ(d.At(wx + x, wy), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(d.At(wx + x, wy + 1), (Rgba{255, 0, 0, 255}));
  }
  EXPECT_NE(d.At(wx + 4, wy), (Rgba{255, 0, 0, 255}));
  EXPECT_GT(LabelPixels(d, 0, 0), 20u);
  EXPECT_GT(LabelPixels(d, 1, 0), 20u);
}

TEST(AvdtoolContactSheet, LargePicturesAreScaledDownKeepingTheirShape) {
  // 320 × 240 stored: left half red, right half blue; the lower half
  // transparent.
  std::vector<uint16_t> pixels(320 * 240);
  std::vector<uint8_t> alpha(320 * 240);
  for (uint32_t y = 0; y < 240; ++y) {
    for (uint32_t x = 0; x < 320; ++x) {
      pixels[y * 320 + x] = x < 160 ? Rgb565(31, 0, 0) : Rgb565(0, 0, 31);
      alpha[y * 320 + x] = y < 120 ? 255 : 0;
    }
  }
  // 2000 × 100 stored: squeezed to the box's width.
  const std::vector<Member> members = {
      {"BIG.PDT", Pdt(640, 480, pixels, alpha)},
      {"LONG.PDT", Pdt(4000, 200, std::vector<uint16_t>(2000 * 100, 0xFFFF))}};
  Decoded d;
  std::string notes;
  ASSERT_EQ(Sheet(ArchiveOf(members), 0, d, notes), 0) << notes;
  const uint32_t x0 = avdtool::kCellPadding, y0 = avdtool::kCellPadding;
  EXPECT_EQ(d.At(x0, y0), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(d.At(x0 + 63, y0 + 47), (Rgba{255, 0, 0, 255}));
  EXPECT_EQ(d.At(x0 + 64, y0), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(d.At(x0 + 127, y0), (Rgba{0, 0, 255, 255}));
  EXPECT_EQ(d.At(x0, y0 + 48), (Rgba{0xA0, 0xA0, 0xA0, 255}));
  EXPECT_EQ(d.At(x0 + 8, y0 + 48), (Rgba{0x70, 0x70, 0x70, 255}));
  EXPECT_EQ(d.At(x0 + 127, y0 + 95), (Rgba{0xA0, 0xA0, 0xA0, 255}));
  // The frame around the box.
  EXPECT_NE(d.At(x0 - 1, y0), (Rgba{0x2B, 0x2B, 0x2B, 255}));
  EXPECT_EQ(d.At(x0 - 2, y0), (Rgba{0x2B, 0x2B, 0x2B, 255}));

  // 128 × 6, centred.
  const uint32_t lx = avdtool::kCellWidth + avdtool::kCellPadding;
  EXPECT_EQ(d.At(lx, y0 + 45), (Rgba{255, 255, 255, 255}));
  EXPECT_EQ(d.At(lx + 127, y0 + 50), (Rgba{255, 255, 255, 255}));
  EXPECT_NE(d.At(lx, y0 + 44), (Rgba{255, 255, 255, 255}));
  EXPECT_NE(d.At(lx, y0 + 51), (Rgba{255, 255, 255, 255}));
}

TEST(AvdtoolContactSheet, APictureThatCannotBeDrawnIsMarkedAndReported) {
  // SYSTEM.PDT is data, not a picture: no cell, no note.
  std::vector<uint8_t> file = ArchiveOf(
      {{"BAD.PDT", Bytes("PDT10 junk")}, {"GONE.PDT", Pdt(2, 2, {1})}, {"SYSTEM.PDT", Bytes("junk")}});
  base::PutU32(EntryField(file, 1, archive::kEntryUnpackedField), 99);
  Decoded d;
  std::string notes;
  EXPECT_EQ(Sheet(file, 0, d, notes), 1);
  EXPECT_EQ(notes,
            "BAD.PDT (entry 0): not drawn: not a well-formed PDT10 picture\n"
            "GONE.PDT (entry 1): not drawn: the LZO1X stream makes fewer bytes than the unpacked size\n");
  ASSERT_EQ(d.width, 2 * avdtool::kCellWidth);
  for (uint32_t c = 0; c < 2; ++c) {
    EXPECT_EQ(d.At(c * avdtool::kCellWidth + avdtool::kCellPadding, avdtool::kCellPadding),
              (Rgba{0xD0, 0x30, 0x30, 255}));
    EXPECT_GT(LabelPixels(d, c, 0), 20u);
  }
}

TEST(AvdtoolContactSheet, TheGridKeepsItsColumnsAndItsBounds) {
  std::vector<Member> seven;
  for (char c = 'A'; c < 'H'; ++c) seven.push_back({std::string(1, c) + ".PDT", Pdt(2, 2, {0x1234})});
  const std::vector<uint8_t> file = ArchiveOf(seven);
  Decoded d;
  std::string notes;
  ASSERT_EQ(Sheet(file, 3, d, notes), 0) << notes;
  EXPECT_EQ(d.width, 3 * avdtool::kCellWidth);
  EXPECT_EQ(d.height, 3 * avdtool::kCellHeight);
  EXPECT_GT(LabelPixels(d, 0, 2), 0u);  // G
  EXPECT_EQ(LabelPixels(d, 1, 2), 0u);
  ASSERT_EQ(Sheet(file, 0, d, notes), 0);
  EXPECT_EQ(d.width, 6 * avdtool::kCellWidth);
  EXPECT_EQ(d.height, 2 * avdtool::kCellHeight);

  // No sheet at all: the command cannot do its work.
  EXPECT_EQ(Sheet(file, 65, d, notes), 2);
  EXPECT_EQ(notes, "no contact sheet: at most 64 columns\n");
  EXPECT_EQ(Sheet(ArchiveOf({{"A.TXT", {}}}), 0, d, notes), 2);
  EXPECT_EQ(notes, "no contact sheet: the archive holds no picture\n");
  EXPECT_EQ(Sheet({}, 0, d, notes), 2);
  EXPECT_EQ(notes, "no contact sheet: the file is shorter than the 64-byte header\n");

  // One column holds 137 rows within 16384 pixels.
  std::vector<Member> many;
  for (int i = 0; i < 138; ++i) many.push_back({"P" + std::to_string(i) + ".PDT", Pdt(2, 2, {0})});
  EXPECT_EQ(Sheet(ArchiveOf(many), 1, d, notes), 2);
  EXPECT_EQ(notes, "no contact sheet: 138 pictures need at least 2 columns to stay within 16384 pixels\n");
  many.pop_back();
  EXPECT_EQ(Sheet(ArchiveOf(many), 1, d, notes), 0);
  EXPECT_EQ(d.height, 137 * avdtool::kCellHeight);
}

}  // namespace
