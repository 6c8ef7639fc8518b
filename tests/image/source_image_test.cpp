#include "image/source_image.h"

#include <gtest/gtest.h>

#include <random>

#include "moe_builder.h"
#include "support/test_support.h"

namespace image {
namespace {

using moe_test::kWorkedPaletteFile;
using moe_test::kWorkedRunLengthFile;
using moe_test::PaletteFile;
using moe_test::Repeat;
using moe_test::RunLengthFile;
using test_support::Hex;

std::vector<uint8_t> DecodedPixels(const std::vector<uint8_t>& file) {
  std::optional<DecodedImage> image = DecodeSourceImage(file);
  EXPECT_TRUE(image.has_value());
  return image ? image->pixels : std::vector<uint8_t>{};
}

// Pixels decoded before the first black one; every pixel after it must be
// black too (the zero-filled rest of the buffer). Test colours are never black.
size_t DecodedCount(const std::vector<uint8_t>& file) {
  std::vector<uint8_t> pixels = DecodedPixels(file);
  size_t count = 0;
  while (count * 3 < pixels.size() && (pixels[count * 3] | pixels[count * 3 + 1] | pixels[count * 3 + 2])) {
    ++count;
  }
  for (size_t i = count * 3; i < pixels.size(); ++i) EXPECT_EQ(pixels[i], 0) << "byte " << i;
  return count;
}

TEST(SourceImage, WorkedFilesOfBothFormsDecodeToTheirPixels) {
  std::optional<DecodedImage> image = DecodeSourceImage(Hex(kWorkedPaletteFile));
  ASSERT_TRUE(image);
  EXPECT_EQ(std::pair(image->width, image->height), std::pair(4, 2));
  EXPECT_EQ(image->pixels, Hex("0000FF 00FF00 0000FF 00FF00  0000FF 00FF00 FF0000 00FF00"));
  image = DecodeSourceImage(Hex(kWorkedRunLengthFile));
  ASSERT_TRUE(image);
  EXPECT_EQ(std::pair(image->width, image->height), std::pair(2, 2));
  EXPECT_EQ(image->pixels, Hex("0000FF 0000FF 00FF00 FFFFFF"));
}

TEST(SourceImage, OnlyAllFourMagicBytesSelectThePaletteForm) {
  std::optional<SourceHeader> header = ReadSourceHeader(Hex("4D 4D 44 00 01"));
  ASSERT_TRUE(header);
  EXPECT_EQ(header->form, SourceForm::kRunLength);
  EXPECT_EQ(header->width, 19789);
  EXPECT_EQ(header->height, 0x44);
}

TEST(SourceImage, HeaderCutShortOrPictureOverTheSizeLimitGivesNoImage) {
  for (const char* file : {"", "01", "01 00 01", "FF FF FF FF 01 01 01 01"}) {
    EXPECT_FALSE(DecodeSourceImage(Hex(file))) << file;
  }
  std::vector<uint8_t> palette = PaletteFile{.width = 65535, .height = 2731}.Bytes();  // just over 512 MiB
  EXPECT_FALSE(DecodeSourceImage(palette));
  palette = PaletteFile{}.Bytes();
  palette.resize(23);
  EXPECT_FALSE(DecodeSourceImage(palette));

  // A whole header with nothing behind it is an image with nothing decoded.
  EXPECT_EQ(DecodedPixels(Hex("01 00 02 00")), Hex("000000 000000"));
  palette.resize(24);
  EXPECT_EQ(DecodedPixels(palette), std::vector<uint8_t>(12, 0));
}

const char* const kFourColours = "0A 0A 0A  0B 0B 0B  0C 0C 0C  0D 0D 0D";

TEST(SourceImage, RowWithoutFlagBitsKeepsTheControlBytesOfTheRowAbove) {
  // Row 0: group 0 takes a delta of 0 (consumed, no change), group 1 gets
  // 0x11 and copies the two pixels before it twice. Row 1 has no flag bits.
  PaletteFile file{.width = 8,
                   .height = 2,
                   .flags = "11 00",
                   .deltas = "00 11",
                   .indices = "00 01 02 03  03 02 01 00",
                   .palette = kFourColours};
  EXPECT_EQ(DecodedPixels(file.Bytes()), Hex("0A0A0A 0B0B0B 0C0C0C 0D0D0D 0C0C0C 0D0D0D 0C0C0C 0D0D0D"
                                             "0D0D0D 0C0C0C 0B0B0B 0A0A0A 0B0B0B 0A0A0A 0B0B0B 0A0A0A"));
}

TEST(SourceImage, OddWidthRowsFollowWithoutGapAndCopyDistancesDropTheLowestBit) {
  // Width 5: each row decodes 4 pixels; one row up is 5 & ~1 = 4 pixels back.
  PaletteFile file{.width = 5,
                   .height = 2,
                   .flags = "01",
                   .deltas = "44",
                   .indices = "00 01 02 03",
                   .palette = kFourColours};
  EXPECT_EQ(DecodedPixels(file.Bytes()),
            Hex("0A0A0A 0B0B0B 0C0C0C 0D0D0D 0A0A0A 0B0B0B 0C0C0C 0D0D0D 000000 000000"));
}

TEST(SourceImage, PictureNarrowerThanFourPixelsDecodesNothing) {
  for (uint16_t width : {1, 3}) {
    PaletteFile file{.width = width, .height = 2, .flags = "00", .indices = "00 00", .palette = "0A 0A 0A"};
    EXPECT_EQ(DecodedPixels(file.Bytes()), std::vector<uint8_t>(width * 2 * 3, 0)) << width;
  }
}

TEST(SourceImage, Width641DecodesRowsOf640PixelsAndCopiesFromOneRowUp) {
  PaletteFile file{.width = 641,
                   .height = 2,
                   .flags = Repeat("0", 160) + Repeat("1", 160),
                   .deltas = Repeat("44", 160),
                   .indices = Repeat("00 01 02 03", 160),
                   .palette = kFourColours};
  std::vector<uint8_t> row = Hex(Repeat(kFourColours, 160));
  std::vector<uint8_t> expected = row;
  expected.insert(expected.end(), row.begin(), row.end());
  expected.resize(641 * 2 * 3, 0);
  EXPECT_EQ(DecodedPixels(file.Bytes()), expected);
}

TEST(SourceImage, WiderThan643KeepsAControlByteForEveryGroup) {
  // Group 174, the last of a 700-pixel row, gets 0x11 in row 0 and keeps it in row 1.
  const std::string rowIndices = Repeat("00", 694) + "01 02";
  PaletteFile file{.width = 700,
                   .height = 2,
                   .flags = Repeat("0", 174) + "1" + Repeat("0", 175),
                   .deltas = "11",
                   .indices = rowIndices + rowIndices,
                   .palette = kFourColours};
  std::vector<uint8_t> row = Hex(Repeat("0A0A0A", 694) + "0B0B0B 0C0C0C 0B0B0B 0C0C0C 0B0B0B 0C0C0C");
  std::vector<uint8_t> expected = row;
  expected.insert(expected.end(), row.begin(), row.end());
  EXPECT_EQ(DecodedPixels(file.Bytes()), expected);
}

TEST(SourceImage, PaletteDecodingStopsAtTheFirstReadOrCopyThatDoesNotFit) {
  const std::string colour = "00 00 80";
  // Copy from before the first pixel.
  EXPECT_EQ(DecodedCount(PaletteFile{.flags = "1", .deltas = "40", .palette = colour}.Bytes()), 0u);
  EXPECT_EQ(DecodedCount(PaletteFile{.flags = "1", .deltas = "11", .palette = colour}.Bytes()), 0u);
  // Index section used up: after 3 bytes, and when it is empty.
  EXPECT_EQ(DecodedCount(PaletteFile{.flags = "0", .indices = "00 00 00", .palette = colour}.Bytes()), 3u);
  EXPECT_EQ(
      DecodedCount(PaletteFile{.flags = "0", .indices = "00", .palette = colour, .indexLength = 0}.Bytes()),
      0u);
  // Palette entry 1 has only two of its bytes in the file.
  EXPECT_EQ(
      DecodedCount(PaletteFile{.flags = "0", .indices = "00 01 00", .palette = colour + "01 01"}.Bytes()),
      1u);
  // A delta section beyond the file stops only at the first set flag bit.
  EXPECT_EQ(DecodedCount(PaletteFile{.height = 3,
                                     .flags = "001",
                                     .indices = Repeat("00", 12),
                                     .palette = colour,
                                     .deltaStart = 0xFFFFFFFF}
                             .Bytes()),
            8u);
  // The 9 bytes from offset 24 to the end are the flag bytes of 72 groups
  // (the set bits among them take deltas of 0); group 72 has no flag byte.
  PaletteFile flagsRunOut{
      .height = 80, .flags = "01", .deltas = "44", .indices = "00 00 00 00", .palette = colour};
  ASSERT_EQ(flagsRunOut.Bytes().size(), 33u);
  EXPECT_EQ(DecodedCount(flagsRunOut.Bytes()), 288u);
}

TEST(SourceImage, SectionOffsetsAreAddedWithoutWrapping) {
  // Added in 32 bits, the index section would start at offset 8 and the
  // palette at 25, and four pixels would decode.
  PaletteFile file{.flags = "0", .palette = Repeat("11", 768), .indexStart = 0xFFFFFFF0, .indexLength = 0x11};
  EXPECT_EQ(DecodedCount(file.Bytes()), 0u);
}

TEST(SourceImage, RunLengthItemsAndTheirStoppingRules) {
  struct Case {
    const char* items;
    const char* pixels;  // the whole 2 × 2 buffer
  };
  const Case cases[] = {
      {"80 01 0A 0B 0C", "000000 000000 000000 000000"},              // 0x80 ends like 0x00
      {"81 01 02 03 00 01 0A 0B 0C", "010203 000000 000000 000000"},  // one literal pixel, end
      {"03 01 02 03 01 04 05 06", "010203 010203 010203 040506"},     // runs
      {"7F 01 02 03 01 04 05 06", "010203 010203 010203 010203"},     // run fills the buffer
      {"85 01 01 01 02 02 02 03 03 03 04 04 04 05 05 05", "010101 020202 030303 040404"},
      {"84 01 01 01 02 02 02 03 03", "010101 020202 000000 000000"},  // block keeps whole pixels
      {"01 0A 0B 0C 02 01 02", "0A0B0C 000000 000000 000000"},        // cut run writes nothing
      {"01 0A 0B 0C", "0A0B0C 000000 000000 000000"},                 // file ends without 00
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DecodedPixels(RunLengthFile(2, 2, c.items)), Hex(c.pixels)) << c.items;
  }
}

// Whatever the cut, a file decodes to a leading stretch of its whole decoding
// followed by black.
void ExpectEveryCutDecodesAPrefix(const std::vector<uint8_t>& file) {
  const std::vector<uint8_t> whole = DecodedPixels(file);
  for (size_t length = 4; length < file.size(); ++length) {
    std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<ptrdiff_t>(length));
    std::optional<DecodedImage> image = DecodeSourceImage(cut);
    if (!image) continue;  // palette header cut short
    ASSERT_EQ(image->pixels.size(), whole.size());
    size_t same = 0;
    while (same < whole.size() && image->pixels[same] == whole[same]) ++same;
    for (size_t i = same - same % 3; i < whole.size(); ++i) ASSERT_EQ(image->pixels[i], 0) << length;
  }
}

TEST(SourceImage, EveryCutOfAFileDecodesALeadingStretch) {
  ExpectEveryCutDecodesAPrefix(Hex(kWorkedPaletteFile));
  ExpectEveryCutDecodesAPrefix(Hex(kWorkedRunLengthFile));
  ExpectEveryCutDecodesAPrefix(PaletteFile{.width = 8,
                                           .height = 2,
                                           .flags = "11 01",
                                           .deltas = "00 11 62",
                                           .indices = "00 01 02 03  03 02 01 00",
                                           .palette = kFourColours}
                                   .Bytes());
}

TEST(SourceImage, MalformedAndRandomFilesDecodeWithinTheirBuffers) {
  std::mt19937 random(12345);
  auto byte = [&] { return static_cast<uint8_t>(random()); };
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> file(random() % 120);
    for (uint8_t& b : file) b = byte();
    if (round % 2 && file.size() >= 24) {
      // Palette form with small sizes and offsets that mostly land in the file.
      const uint8_t fields[] = {0x4D, 0x4D, 0x44, 0x1A, byte(), 0, byte(), 0};
      std::copy(std::begin(fields), std::end(fields), file.begin());
      for (size_t at : {8, 12, 16}) {
        file[at] = byte() % 64;
        file[at + 1] = file[at + 2] = file[at + 3] = round % 7 ? 0 : byte();
      }
    } else if (file.size() >= 4) {
      file[1] = file[3] = 0;
    }
    std::optional<DecodedImage> image = DecodeSourceImage(file);
    if (image) {
      ASSERT_EQ(image->pixels.size(), uint64_t(image->width) * uint64_t(image->height) * 3);
    }
  }
}

}  // namespace
}  // namespace image
