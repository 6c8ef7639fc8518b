#include "image/pdt_writer.h"

#include <algorithm>
#include <new>

#include "base/byte_order.h"
#include "base/printable.h"
#include "image/moe_format.h"
#include "image/pdt_format.h"

namespace image {
namespace {

constexpr uint64_t kSourcePixelSize = moe::kPixelSize;

uint64_t Dimension(int32_t value) { return value > 0 ? static_cast<uint64_t>(value) : 0; }

uint64_t HalvedPixelCount(const DecodedImage& image) {
  return (Dimension(image.width) >> 1) * (Dimension(image.height) >> 1);
}

}  // namespace

bool HalveImage(const DecodedImage& image, std::span<uint8_t> pixelPlane, std::span<uint8_t> alphaPlane) {
  const uint64_t width = Dimension(image.width), height = Dimension(image.height);
  const uint64_t n = HalvedPixelCount(image);
  if (image.pixels.size() / kSourcePixelSize < width * height || pixelPlane.size() / pdt::kPixelSize < n ||
      alphaPlane.size() < n) {
    return false;
  }

  bool hasAlpha = false;
  uint64_t out = 0;
  for (uint64_t y = 0; y < (height >> 1); ++y) {
    for (uint64_t x = 0; x < (width >> 1); ++x, ++out) {
      unsigned alphaCounter = 256, blue = 0, green = 0, red = 0;
      const uint64_t topLeft = (2 * y * width + 2 * x) * kSourcePixelSize;
      for (uint64_t at : {topLeft, topLeft + kSourcePixelSize, topLeft + width * kSourcePixelSize,
                          topLeft + (width + 1) * kSourcePixelSize}) {
        const uint8_t* pixel = image.pixels.data() + at;
        if (moe::IsKeyColour(pixel)) {
          alphaCounter -= 64;
          hasAlpha = true;
        } else {
          blue += pixel[0];
          green += pixel[1];
          red += pixel[2];
        }
      }
      const unsigned rgb565 = (red >> 5) << 11 | (green >> 4) << 5 | (blue >> 5);
      base::PutU16(&pixelPlane[out * pdt::kPixelSize], rgb565);
      alphaPlane[out] = alphaCounter == 0 ? pdt::kAlphaTransparent : static_cast<uint8_t>(alphaCounter - 1);
    }
  }
  return hasAlpha;
}

std::optional<std::vector<uint8_t>> BuildPdtMember(const DecodedImage& image) {
  const uint64_t n = HalvedPixelCount(image);
  const uint64_t pixelPlaneSize = n * pdt::kPixelSize;
  // One buffer at the size with an alpha plane; cut when there is none.
  std::vector<uint8_t> member;
  try {
    member.assign(pdt::kHeaderSize + pixelPlaneSize + n, 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  const bool hasAlpha = HalveImage(image, std::span(member).subspan(pdt::kHeaderSize, pixelPlaneSize),
                                   std::span(member).subspan(pdt::kHeaderSize + pixelPlaneSize, n));

  std::copy(pdt::kMagic.begin(), pdt::kMagic.end(), member.begin() + pdt::kMagicOffset);
  base::PutU32(member.data() + pdt::kWidthOffset, static_cast<uint32_t>(Dimension(image.width)));
  base::PutU32(member.data() + pdt::kHeightOffset, static_cast<uint32_t>(Dimension(image.height)));
  base::PutU32(member.data() + pdt::kAlphaPlaneOffset, hasAlpha ? static_cast<uint32_t>(pixelPlaneSize) : 0);
  if (!hasAlpha) member.resize(pdt::kHeaderSize + pixelPlaneSize);
  return member;
}

std::string MakePdtName(std::string_view fileName) {
  return std::string(fileName.substr(0, fileName.find('.'))) + ".PDT";
}

std::optional<std::vector<uint8_t>> ConvertPicture(std::span<const uint8_t> file, std::string_view path,
                                                   base::Diagnostics& diag) {
  std::optional<SourceHeader> header = ReadSourceHeader(file);
  if (!header) return std::nullopt;
  if (header->PixelBytes() > kMaxPixelBytes) {
    diag.Report("Warning : picture too large, left out: %s\n",
                base::Printable(path, base::TextEncoding::kShiftJis).c_str());
    return std::nullopt;
  }
  // With a whole header and a size within bounds, only memory can fail.
  std::optional<DecodedImage> image = DecodeSourceImage(file);
  std::optional<std::vector<uint8_t>> member;
  if (image) member = BuildPdtMember(*image);
  if (!member) diag.Line(base::kNoMemoryLine);
  return member;
}

}  // namespace image
