#include "image/pdt_writer.h"

#include <algorithm>
#include <new>

#include "archive/archive_format.h"
#include "image/pdt_format.h"
#include "platform/console.h"
#include "platform/file_search.h"
#include "platform/paths.h"

namespace image {
namespace {

constexpr uint64_t kSourcePixelSize = 3;
constexpr uint8_t kKeyBlue = 0, kKeyGreen = 255, kKeyRed = 0;

bool IsKeyed(const uint8_t* bgr) { return bgr[0] == kKeyBlue && bgr[1] == kKeyGreen && bgr[2] == kKeyRed; }

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
        if (IsKeyed(pixel)) {
          alphaCounter -= 64;
          hasAlpha = true;
        } else {
          blue += pixel[0];
          green += pixel[1];
          red += pixel[2];
        }
      }
      const unsigned rgb565 = (red >> 5) << 11 | (green >> 4) << 5 | (blue >> 5);
      pixelPlane[out * pdt::kPixelSize] = static_cast<uint8_t>(rgb565);
      pixelPlane[out * pdt::kPixelSize + 1] = static_cast<uint8_t>(rgb565 >> 8);
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
  archive::PutU32(member.data() + pdt::kWidthOffset, static_cast<uint32_t>(Dimension(image.width)));
  archive::PutU32(member.data() + pdt::kHeightOffset, static_cast<uint32_t>(Dimension(image.height)));
  archive::PutU32(member.data() + pdt::kAlphaPlaneOffset,
                  hasAlpha ? static_cast<uint32_t>(pixelPlaneSize) : 0);
  if (!hasAlpha) member.resize(pdt::kHeaderSize + pixelPlaneSize);
  return member;
}

std::string MakePdtName(std::string_view path) {
  std::string_view name = path.substr(platform::NamePartStart(path));
  return std::string(name.substr(0, name.find('.'))) + ".PDT";
}

void ConvertImage(const std::string& path, archive::MemberSink& sink) {
  std::optional<std::vector<uint8_t>> member;
  if (std::optional<DecodedImage> image = LoadSourceImage(path)) member = BuildPdtMember(*image);
  if (!member) return;
  sink.AddMember(MakePdtName(path).c_str(), member->data(), member->size());
}

void ConvertImageFolder(const std::string& root, const std::string& folder, archive::MemberSink& sink) {
  const std::string prefix = folder.empty() ? root : root + folder + platform::kSeparator;
  // The search's name lives only until the next call, so the path is built
  // before ConvertImage runs (which starts no search of its own).
  console::PassProgress progress(folder.empty() ? "Pictures" : "Pictures " + folder);
  for (const char* name = platform::FindFirstName(prefix + "*.MOE"); name; name = platform::FindNextName()) {
    progress.Next(name);
    ConvertImage(prefix + name, sink);
  }
}

}  // namespace image
