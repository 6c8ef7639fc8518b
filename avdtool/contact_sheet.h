#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "avdtool/exit_status.h"
#include "avdtool/font.h"
#include "base/translations.h"

namespace avdtool {

// One cell of the contact sheet: a thumbnail box, then the member's name.
inline constexpr uint32_t kThumbnailWidth = 128;
inline constexpr uint32_t kThumbnailHeight = 96;
inline constexpr uint32_t kCellPadding = 6;
inline constexpr uint32_t kLabelGap = 4;
inline constexpr uint32_t kCellWidth = kThumbnailWidth + 2 * kCellPadding;
inline constexpr uint32_t kCellHeight =
    kCellPadding + kThumbnailHeight + kLabelGap + font::kGlyphHeight + kCellPadding;

inline constexpr uint32_t kDefaultColumns = 6;
inline constexpr uint32_t kMostColumns = 64;

// Draws every picture of the archive in `file`, in directory order, as a
// labelled thumbnail in a grid of `columns` cells a row (0: six, or more
// when six would make the sheet taller than kMostPictureSide), and encodes
// the sheet as an RGB PNG into `out`. Thumbnails are scaled down to fit
// their box keeping their shape, alpha shown over a checkerboard; a picture
// that cannot be drawn gets a red cross and a line in `notes`.
//
// Returns kGood when every picture was drawn, kProblems when one was not,
// and kCannotRun when there is no sheet (no picture, a directory that
// cannot be read, too many pictures for the columns, no memory: `out` is
// then empty and `notes` says why). The notes come in the language of
// `texts` (Shift-JIS).
Status MakeContactSheet(std::span<const uint8_t> file, uint32_t columns, const base::Translations& texts,
                        std::vector<uint8_t>& out, std::string& notes);

}  // namespace avdtool
