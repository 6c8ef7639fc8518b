#include "image/pdt_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "archive/archive_format.h"
#include "image/pdt_format.h"
#include "moe_builder.h"
#include "support/test_support.h"

namespace image {
namespace {

using moe_test::kWorkedPaletteFile;
using moe_test::kWorkedRunLengthFile;
using test_support::Hex;

const char* const kKey = "00 FF 00";
const char* const kWhite = "FF FF FF";

DecodedImage Picture(int32_t width, int32_t height, const std::string& pixels = "") {
  DecodedImage image{width, height, Hex(pixels)};
  image.pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 3, 0);
  return image;
}

std::vector<uint8_t> Member(const DecodedImage& image) {
  std::optional<std::vector<uint8_t>> member = BuildPdtMember(image);
  EXPECT_TRUE(member.has_value());
  return member.value_or(std::vector<uint8_t>{});
}

uint32_t Field(const std::vector<uint8_t>& member, size_t offset) { return base::GetU32(&member[offset]); }

TEST(PdtWriter, WorkedPicturesBecomeTheirExactMembers) {
  base::CollectedDiagnostics diag;
  EXPECT_EQ(ConvertPicture(Hex(kWorkedPaletteFile), "CG/ABC.MOE", diag), Hex("50 44 54 31 30 00 00 00 00 00 00 00 04 00 00 00 02 00 00 00"
                                       "00 00 00 00 00 00 00 00 04 00 00 00  00 78 07 38  7F 7F"));
  EXPECT_EQ(ConvertPicture(Hex(kWorkedRunLengthFile), "ABC.MOE", diag),
            Hex("50 44 54 31 30 00 00 00 00 00 00 00 02 00 00 00 02 00 00 00"
                "00 00 00 00 00 00 00 00 02 00 00 00  E7 B9  BF"));
  EXPECT_EQ(diag.Text(), "");
}

TEST(PdtWriter, AFileThatIsNoPictureGivesNothingAndNoLine) {
  base::CollectedDiagnostics diag;
  EXPECT_EQ(ConvertPicture(Hex("01 00"), "SHORT.MOE", diag), std::nullopt);
  EXPECT_EQ(ConvertPicture(Hex("4D 4D 44 1A 02 00 02 00"), "CUT.MOE", diag), std::nullopt);
  EXPECT_EQ(diag.Text(), "");
}

TEST(PdtWriter, BlocksWithZeroToFourKeyedPixelsCountKeysAsBlackAndStepTheAlpha) {
  const std::string w = kWhite, k = kKey;
  const std::string top = w + w + k + w + k + k + k + k + k + k;
  const std::string bottom = w + w + w + w + w + w + k + w + k + k;
  std::vector<uint8_t> member = Member(Picture(10, 2, top + bottom));
  ASSERT_EQ(member.size(), pdt::kHeaderSize + 5 * 3);
  EXPECT_EQ(Field(member, pdt::kAlphaPlaneOffset), 10u);
  EXPECT_EQ(std::vector<uint8_t>(member.begin() + pdt::kHeaderSize, member.end()),
            Hex("FFFF F7BD EF7B E739 0000  FF BF 7F 3F 00"));
}

TEST(PdtWriter, ChannelsAreAveragedAndTruncatedToFiveSixFiveBits) {
  // Near-key colours are ordinary pixels: no alpha plane.
  const std::string colour = "32 64 C8", nearKey1 = "00 FE 00", nearKey2 = "01 FF 00";
  std::vector<uint8_t> member =
      Member(Picture(6, 2,
                     colour + colour + nearKey1 + nearKey1 + nearKey2 + nearKey2 + colour + colour +
                         nearKey1 + nearKey1 + nearKey2 + nearKey2));
  ASSERT_EQ(member.size(), pdt::kHeaderSize + 3 * 2);
  EXPECT_EQ(Field(member, pdt::kAlphaPlaneOffset), 0u);
  EXPECT_EQ(std::vector<uint8_t>(member.begin() + pdt::kHeaderSize, member.end()), Hex("26CB E007 E007"));
}

TEST(PdtWriter, OddLastColumnAndRowAreDroppedWithTheirKeys) {
  const std::string row = std::string(kWhite) + kWhite + kKey;
  std::vector<uint8_t> member = Member(Picture(3, 3, row + row + kKey + kKey + kKey));
  EXPECT_EQ(member, Hex("50 44 54 31 30 00 00 00 00 00 00 00 03 00 00 00 03 00 00 00"
                        "00 00 00 00 00 00 00 00 00 00 00 00  FF FF"));

  DecodedImage wide = Picture(641, 2);
  std::copy_n(Hex(kKey).begin(), 3, wide.pixels.begin() + 640 * 3);
  member = Member(wide);
  EXPECT_EQ(member.size(), pdt::kHeaderSize + 320 * 2);
  EXPECT_EQ(Field(member, pdt::kWidthOffset), 641u);
  EXPECT_EQ(Field(member, pdt::kAlphaPlaneOffset), 0u);
}

TEST(PdtWriter, HeaderKeepsTheSourceSizeAndEmptyPicturesAreTheHeaderAlone) {
  std::vector<uint8_t> member = Member(Picture(640, 480));
  EXPECT_EQ(member.size(), pdt::kHeaderSize + 320 * 240 * 2);
  EXPECT_EQ(Field(member, pdt::kWidthOffset), 640u);
  EXPECT_EQ(Field(member, pdt::kHeightOffset), 480u);
  EXPECT_EQ(std::string(member.begin(), member.begin() + 5), "PDT10");

  for (auto [width, height] : {std::pair{1, 7}, {7, 1}, {0, 0}, {0, 5}}) {
    member = Member(Picture(width, height, kKey));
    ASSERT_EQ(member.size(), pdt::kHeaderSize);
    EXPECT_EQ(Field(member, pdt::kWidthOffset), static_cast<uint32_t>(width));
    EXPECT_EQ(Field(member, pdt::kHeightOffset), static_cast<uint32_t>(height));
    EXPECT_EQ(Field(member, pdt::kAlphaPlaneOffset), 0u);
  }
}

TEST(PdtWriter, NameIsTheFileNameCutBeforeItsFirstDot) {
  EXPECT_EQ(MakePdtName("ABC.MOE"), "ABC.PDT");
  EXPECT_EQ(MakePdtName("x.moe"), "x.PDT");
  EXPECT_EQ(MakePdtName("A.B.MOE"), "A.PDT");
  EXPECT_EQ(MakePdtName("NODOT"), "NODOT.PDT");
  EXPECT_EQ(MakePdtName(".MOE"), ".PDT");
}

TEST(PdtWriter, PictureOverTheSizeLimitIsLeftOutWithAWarning) {
  base::CollectedDiagnostics diag;
  EXPECT_EQ(ConvertPicture(Hex("FF FF FF FF 00"), "/game/HUGE.MOE", diag), std::nullopt);
  EXPECT_EQ(diag.Text(), "Warning : picture too large, left out: /game/HUGE.MOE\n");
}

}  // namespace
}  // namespace image
