#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "audit/members.h"
#include "base/translations.h"

namespace avdtool {

// Fills row `y` of a picture being encoded: width × 3 bytes (red, green,
// blue) or width × 4 (with alpha). Returns false to give up; it must not
// throw.
using RowSource = std::function<bool(uint32_t y, uint8_t* row)>;

// The longest side a PNG may have (2^31 - 1). A picture's stored sides,
// half of what its header's 32-bit fields say, never exceed it, so every
// picture the format can hold has its PNG.
inline constexpr uint32_t kMostPngSide = 0x7FFFFFFF;

// Encodes a width × height 8-bit RGB (RGBA when `alpha`) PNG into `out`
// through libpng, one row at a time: the rows take the memory of one row.
// False, with the reason in `error`, for a side of 0 or beyond
// kMostPngSide, a row source that gives up, a row that cannot be held in
// memory, or a failure of libpng; our own reasons in the language of
// `texts`, libpng's in its words.
bool EncodePng(uint32_t width, uint32_t height, bool alpha, const RowSource& rows, std::vector<uint8_t>& out,
               std::string& error, const base::Translations& texts = base::Translations());

// The picture as a PNG: RGB, or RGBA when it has an alpha plane (its byte is
// the alpha). A picture without pixels becomes a 1 × 1 transparent PNG, with
// a note saying so in `note`.
bool PictureToPng(const audit::Picture& picture, std::vector<uint8_t>& out, std::string& note,
                  std::string& error, const base::Translations& texts = base::Translations());

}  // namespace avdtool
