#include "sample/moe_encoder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "archive/archive_format.h"
#include "support/test_support.h"
#include "sample/reference_moe_decoder.h"
#include "sample/rng.h"
#include "sample/sample_pictures.h"

namespace {

using test_support::Hex;

struct Image {
  int w, h;
  std::vector<uint8_t> px;
};

Image Make(int w, int h, auto colourAt) {
  Image img{w, h, std::vector<uint8_t>(static_cast<size_t>(w) * h * 3)};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t c = colourAt(x, y);
      uint8_t* p = &img.px[(static_cast<size_t>(y) * w + x) * 3];
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  }
  return img;
}

size_t ColourCount(const std::vector<uint8_t>& px) {
  std::set<uint32_t> colours;
  for (size_t i = 0; i + 2 < px.size(); i += 3) colours.insert(px[i] | (px[i + 1] << 8) | (px[i + 2] << 16));
  return colours.size();
}

uint32_t Field32(const std::vector<uint8_t>& f, size_t at) { return base::GetU32(&f[at]); }

// Pictures of at most 256 colours, which the palette form carries exactly.
std::vector<Image> FewColourImages() {
  tools::Rng rng(7);
  std::vector<Image> out;
  out.push_back(Make(640, 48, [](int x, int) { return (x * 255 / 639) * 0x010101u; }));  // across
  out.push_back(Make(64, 300, [](int, int y) { return 0x204000u + static_cast<uint32_t>(y / 2); }));  // down
  out.push_back(Make(120, 77, [](int x, int y) {  // shapes
    if ((x - 60) * (x - 60) + (y - 38) * (y - 38) < 400) return 0xFFD080u;
    if (x > 10 && x < 40 && y > 50) return 0x3050A0u;
    return 0x000000u + static_cast<uint32_t>(y / 8) * 0x0A0A0Au;
  }));
  out.push_back(
      Make(256, 64, [&rng](int, int) { return static_cast<uint32_t>(rng.Below(200)) * 0x010305u; }));
  out.push_back(Make(4, 1, [](int x, int) { return static_cast<uint32_t>(x); }));
  out.push_back(Make(8, 33, [](int x, int y) { return static_cast<uint32_t>((x / 2 + y) % 3) * 0x800000u; }));
  return out;
}

TEST(ReferenceMoeDecoder, DecodesTheWorkedExamplesOfBothForms) {
  reference::Decoded palette = reference::DecodeMoe(
      Hex("4D4D441A 0400 0200 01000000 03000000 04000000 00000000 C0 0141 00010201 0000FF 00FF00 FF0000"));
  EXPECT_TRUE(palette.Complete());
  EXPECT_EQ(palette.pixels, Hex("0000FF 00FF00 0000FF 00FF00 0000FF 00FF00 FF0000 00FF00"));

  reference::Decoded runs = reference::DecodeMoe(Hex("02000200 020000FF 8200FF00FFFFFF 00"));
  EXPECT_TRUE(runs.Complete());
  EXPECT_EQ(runs.pixels, Hex("0000FF 0000FF 00FF00 FFFFFF"));
}

TEST(PaletteForm, PicturesOfAtMost256ColoursDecodeToThemselves) {
  for (const Image& img : FewColourImages()) {
    std::vector<uint8_t> file = tools::EncodePaletteForm(img.w, img.h, img.px.data());
    reference::Decoded d = reference::DecodeMoe(file);
    EXPECT_EQ(d.width, img.w);
    EXPECT_EQ(d.height, img.h);
    EXPECT_TRUE(d.Complete()) << img.w << "x" << img.h;
    EXPECT_EQ(d.pixels, img.px) << img.w << "x" << img.h;
    // The index section ends where the palette begins, and the palette
    // holds one entry per colour.
    EXPECT_EQ(file.size() - 24 - Field32(file, 12) - Field32(file, 16), 3 * ColourCount(img.px));
  }
}

TEST(PaletteForm, ManyColoursAreReducedToAtMost256AndDecodeExactlyToTheReduction) {
  tools::Rng rng(11);
  Image noise = Make(640, 40, [&rng](int, int) { return static_cast<uint32_t>(rng.Next() & 0xFFFFFF); });
  Image smooth = Make(320, 240, [](int x, int y) { return static_cast<uint32_t>(x * 255 / 319 + (y << 8)); });
  for (const Image& img : {noise, smooth}) {
    std::vector<uint8_t> limited = tools::LimitColours(img.w, img.h, img.px.data());
    EXPECT_LE(ColourCount(limited), 256u);
    reference::Decoded d = reference::DecodeMoe(tools::EncodePaletteForm(img.w, img.h, img.px.data()));
    EXPECT_TRUE(d.Complete());
    EXPECT_EQ(d.pixels, limited);
  }
  // A smooth picture keeps its detail as far as 256 colours allow: its
  // channels move by less than a quarter of their range.
  std::vector<uint8_t> limited = tools::LimitColours(smooth.w, smooth.h, smooth.px.data());
  for (size_t i = 0; i < limited.size(); ++i) EXPECT_LT(std::abs(limited[i] - smooth.px[i]), 64) << i;
}

TEST(PaletteForm, ReductionKeepsTheKeyColourAndTurnsNoOtherColourIntoIt) {
  tools::Rng rng(3);
  // Key pixels among many colours close to the key.
  Image img = Make(64, 64, [&rng](int x, int y) {
    if ((x + y) % 5 == 0) return 0x00FF00u;
    return static_cast<uint32_t>(rng.Below(8) | ((248 + rng.Below(8)) << 8) | (rng.Below(256) << 16));
  });
  ASSERT_GT(ColourCount(img.px), 256u);
  std::vector<uint8_t> limited = tools::LimitColours(img.w, img.h, img.px.data());
  for (size_t i = 0; i < limited.size(); i += 3) {
    bool key = img.px[i] == 0 && img.px[i + 1] == 255 && img.px[i + 2] == 0;
    bool keyAfter = limited[i] == 0 && limited[i + 1] == 255 && limited[i + 2] == 0;
    EXPECT_EQ(key, keyAfter) << i / 3;
  }
}

TEST(PaletteForm, SpritesWithAKeyedSurroundRoundTrip) {
  tools::Picture sprite = tools::PaintSprite(200, 240, 99);
  std::vector<uint8_t> limited = tools::LimitColours(sprite.width, sprite.height, sprite.pixels.data());
  reference::Decoded d =
      reference::DecodeMoe(tools::EncodePaletteForm(sprite.width, sprite.height, sprite.pixels.data()));
  EXPECT_TRUE(d.Complete());
  EXPECT_EQ(d.pixels, limited);
}

TEST(PaletteForm, OneColourCodesOnlyTheFirstPairAsIndices) {
  Image flat = Make(640, 480, [](int, int) { return 0x336699u; });
  std::vector<uint8_t> file = tools::EncodePaletteForm(flat.w, flat.h, flat.px.data());
  EXPECT_EQ(Field32(file, 16), 2u);
  EXPECT_EQ(reference::DecodeMoe(file).pixels, flat.px);
}

TEST(PaletteForm, ControlBytesKeepTheRowAbovesCopyWhileItStillMatches) {
  // Flat rows and noise rows by turns, each row equal to the one two rows
  // up: a flat row could copy from its left, but the copy from two rows up
  // fits every row, so once chosen it stays and the rows need no deltas.
  tools::Rng rng(5);
  std::vector<uint32_t> noise(640);
  for (uint32_t& c : noise) c = static_cast<uint32_t>(rng.Below(50)) * 0x030201u;
  Image rows = Make(640, 200, [&noise](int x, int y) { return y % 2 ? noise[x] : 0xA0A0A0u; });
  std::vector<uint8_t> file = tools::EncodePaletteForm(rows.w, rows.h, rows.px.data());
  EXPECT_EQ(Field32(file, 8), (160u * 200u + 7) / 8);          // one flag bit per group
  EXPECT_LE(Field32(file, 12) - Field32(file, 8), 4u * 160u);  // deltas in the first rows only
  EXPECT_EQ(reference::DecodeMoe(file).pixels, rows.px);
}

TEST(PaletteForm, RefusesWidthsItCannotCarry) {
  std::vector<uint8_t> px(700 * 3 * 2, 0);
  EXPECT_TRUE(tools::EncodePaletteForm(6, 2, px.data()).empty());
  EXPECT_TRUE(tools::EncodePaletteForm(0, 2, px.data()).empty());
  EXPECT_TRUE(tools::EncodePaletteForm(644, 2, px.data()).empty());
  EXPECT_TRUE(tools::EncodePaletteForm(8, 0, px.data()).empty());
  EXPECT_FALSE(tools::EncodePaletteForm(640, 2, px.data()).empty());
}

TEST(RunLengthForm, EncodesTheWorkedExampleByteForByte) {
  std::vector<uint8_t> px = Hex("0000FF 0000FF 00FF00 FFFFFF");
  EXPECT_EQ(tools::EncodeRunLength(2, 2, px.data()), Hex("02000200 020000FF 8200FF00FFFFFF 00"));
  EXPECT_EQ(tools::EncodeRunLength(0, 0, px.data()), Hex("00000000 00"));
}

TEST(RunLengthForm, RunsAndLiteralBlocksSplitAt127Pixels) {
  // 300 equal pixels: runs of 127, 127 and 46.
  std::vector<uint8_t> same(300 * 3, 0x42);
  std::vector<uint8_t> file = tools::EncodeRunLength(300, 1, same.data());
  EXPECT_EQ(file, Hex("2C010100 7F424242 7F424242 2E424242 00"));
  // 300 different pixels: literal blocks of 127, 127 and 46.
  Image ramp = Make(300, 1, [](int x, int) { return static_cast<uint32_t>(x); });
  file = tools::EncodeRunLength(300, 1, ramp.px.data());
  ASSERT_EQ(file.size(), 4 + 3 + 300 * 3 + 1u);
  EXPECT_EQ(file[4], 0xFF);
  EXPECT_EQ(file[4 + 1 + 127 * 3], 0xFF);
  EXPECT_EQ(file[4 + 2 + 254 * 3], 0x80 + 46);
}

TEST(RunLengthForm, GradientsShapesNoiseAndSpritesRoundTrip) {
  tools::Rng rng(13);
  std::vector<Image> images = FewColourImages();
  images.push_back(Make(333, 97, [&rng](int, int) { return static_cast<uint32_t>(rng.Next() & 0xFFFFFF); }));
  images.push_back(Make(641, 3, [](int x, int) { return static_cast<uint32_t>(x / 3 % 2 ? 0x00FF00 : x); }));
  tools::Picture sprite = tools::PaintSprite(160, 200, 4);
  images.push_back({sprite.width, sprite.height, sprite.pixels});
  tools::Picture bg = tools::PaintBackground(320, 240, 8, false);
  images.push_back({bg.width, bg.height, bg.pixels});
  for (const Image& img : images) {
    reference::Decoded d = reference::DecodeMoe(tools::EncodeRunLength(img.w, img.h, img.px.data()));
    EXPECT_TRUE(d.Complete()) << img.w << "x" << img.h;
    EXPECT_EQ(d.pixels, img.px) << img.w << "x" << img.h;
  }
}

TEST(RunLengthForm, RefusesSidesBeyond65535) {
  uint8_t px[3] = {};
  EXPECT_TRUE(tools::EncodeRunLength(65536, 0, px).empty());
  EXPECT_TRUE(tools::EncodeRunLength(1, -1, px).empty());
}

}  // namespace
