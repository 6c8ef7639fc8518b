#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "image/source_image.h"

// Stores the game's pictures at half their width and height as "PDT10"
// members (see image/pdt_format.h) with an alpha plane where the source uses
// its colour key: blue 0, green 255, red 0.
namespace image {

// Halves `image` (an odd last column or row is dropped): each block of 2 × 2
// source pixels becomes one 5-6-5 pixel, the average of its channels with
// keyed pixels counted as black, and one alpha byte, 255, 191, 127, 63 or 0
// for 0 to 4 keyed pixels. With n = (width >> 1) × (height >> 1),
// `pixelPlane` takes 2·n bytes and `alphaPlane` n bytes. Returns true when a
// keyed pixel was met. Reads and writes nothing when the image's pixels are
// fewer than width × height or a plane is too short (and returns false).
bool HalveImage(const DecodedImage& image, std::span<uint8_t> pixelPlane, std::span<uint8_t> alphaPlane);

// The whole "PDT10" member for `image`: header, pixel plane and, when the
// picture has keyed pixels, the alpha plane. Nothing when the buffer cannot
// be allocated.
std::optional<std::vector<uint8_t>> BuildPdtMember(const DecodedImage& image);

// The member name for a source file's bare name: the name cut before its
// first ".", with ".PDT" appended.
std::string MakePdtName(std::string_view fileName);

// The "PDT10" member for the source picture file `file`. Nothing when the
// picture cannot be decoded or its buffers cannot be had; a picture too large
// to decode is reported through `diag`, naming `path`, and one whose buffers
// cannot be had with base::kNoMemoryLine.
std::optional<std::vector<uint8_t>> ConvertPicture(std::span<const uint8_t> file, std::string_view path,
                                                   base::Diagnostics& diag);

}  // namespace image
