// Arbitrary bytes as a ".MOE" picture: decoded, halved and built into a
// "PDT10" member. Besides the sanitizers' checks, every step is held to what
// it promises: the decoded image has exactly the size its header declares,
// the member's header describes its planes, and HalveImage refuses (writing
// nothing) pixel buffers or planes that are too short.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <vector>

#include "archive/archive_format.h"
#include "image/pdt_format.h"
#include "image/pdt_writer.h"
#include "image/source_image.h"

namespace {

// Larger pictures decode correctly but only slow the search down.
constexpr uint64_t kLargestFuzzedPixelBytes = uint64_t{1} << 18;
// HalveImage's refusals are checked on pictures up to this many pixels.
constexpr uint64_t kLargestRefusalCheck = 4096;
constexpr uint8_t kUntouched = 0xA5;

void Require(bool condition) {
  if (!condition) std::abort();
}

bool AllUntouched(const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes) {
    if (b != kUntouched) return false;
  }
  return true;
}

void CheckMember(const image::DecodedImage& picture, const std::vector<uint8_t>& member) {
  const uint64_t n = uint64_t(picture.width >> 1) * uint64_t(picture.height >> 1);
  const uint32_t alphaField = base::GetU32(member.data() + image::pdt::kAlphaPlaneOffset);
  Require(alphaField == 0 || alphaField == 2 * n);
  Require(member.size() == image::pdt::kHeaderSize + 2 * n + (alphaField ? n : 0));
  Require(std::equal(image::pdt::kMagic.begin(), image::pdt::kMagic.end(), member.begin()));
  Require(base::GetU32(member.data() + image::pdt::kWidthOffset) == uint32_t(picture.width));
  Require(base::GetU32(member.data() + image::pdt::kHeightOffset) == uint32_t(picture.height));
  if (alphaField == 0) return;
  bool keyed = false;
  for (uint64_t i = 0; i < n; ++i) {
    const uint8_t alpha = member[image::pdt::kHeaderSize + 2 * n + i];
    Require(alpha == 255 || alpha == 191 || alpha == 127 || alpha == 63 || alpha == 0);
    keyed = keyed || alpha != 255;
  }
  Require(keyed);
}

// HalveImage must refuse, without writing, a pixel buffer shorter than the
// dimensions and planes shorter than the halved picture.
void CheckRefusals(const image::DecodedImage& picture) {
  const uint64_t n = uint64_t(picture.width >> 1) * uint64_t(picture.height >> 1);
  if (n == 0 || n > kLargestRefusalCheck) return;
  std::vector<uint8_t> pixels(2 * n, kUntouched), alpha(n, kUntouched);

  image::DecodedImage cut = picture;
  cut.pixels.pop_back();
  Require(!image::HalveImage(cut, pixels, alpha));
  Require(AllUntouched(pixels) && AllUntouched(alpha));

  std::span<uint8_t> shortPixels(pixels.data(), pixels.size() - 1);
  Require(!image::HalveImage(picture, shortPixels, alpha));
  std::span<uint8_t> shortAlpha(alpha.data(), alpha.size() - 1);
  Require(!image::HalveImage(picture, pixels, shortAlpha));
  Require(AllUntouched(pixels) && AllUntouched(alpha));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> file(data, size);
  const std::optional<image::SourceHeader> header = image::ReadSourceHeader(file);
  if (header && header->PixelBytes() > image::kMaxPixelBytes) {
    Require(!image::DecodeSourceImage(file));  // refused before allocating
    return 0;
  }
  if (header && header->PixelBytes() > kLargestFuzzedPixelBytes) return 0;

  const std::optional<image::DecodedImage> picture = image::DecodeSourceImage(file);
  Require(picture.has_value() == header.has_value());
  if (!picture) return 0;
  Require(picture->width == header->width && picture->height == header->height);
  Require(picture->pixels.size() == header->PixelBytes());

  const std::optional<std::vector<uint8_t>> member = image::BuildPdtMember(*picture);
  Require(member.has_value());
  CheckMember(*picture, *member);
  CheckRefusals(*picture);
  return 0;
}
