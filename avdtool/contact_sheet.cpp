#include "avdtool/contact_sheet.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "archive/archive_reader.h"
#include "audit/members.h"
#include "avdtool/png.h"
#include "base/diagnostics.h"

namespace avdtool {
namespace {

struct Rgb {
  uint8_t r, g, b;
};

constexpr Rgb kBackground{0x2B, 0x2B, 0x2B};
constexpr Rgb kFrame{0x5A, 0x5A, 0x5A};
constexpr Rgb kLabel{0xE8, 0xE8, 0xE8};
constexpr Rgb kBroken{0xD0, 0x30, 0x30};
constexpr Rgb kCheckerLight{0xA0, 0xA0, 0xA0};
constexpr Rgb kCheckerDark{0x70, 0x70, 0x70};
constexpr uint32_t kCheckerSquare = 8;
// Samples per direction averaged into one thumbnail pixel.
constexpr uint32_t kMostSamples = 4;

constexpr uint32_t kMostRows = audit::kMostPictureSide / kCellHeight;

// One band of the sheet: a row of cells, kCellHeight rows of pixels.
class Band {
 public:
  explicit Band(uint32_t width) : width_(width), pixels_(size_t{width} * kCellHeight * 3) {}

  void Clear() {
    for (size_t i = 0; i < pixels_.size(); i += 3) Put(i, kBackground);
  }
  void Set(uint32_t x, uint32_t y, Rgb c) {
    if (x < width_ && y < kCellHeight) Put((size_t{y} * width_ + x) * 3, c);
  }
  const uint8_t* Row(uint32_t y) const { return pixels_.data() + size_t{y} * width_ * 3; }

 private:
  void Put(size_t at, Rgb c) {
    pixels_[at] = c.r;
    pixels_[at + 1] = c.g;
    pixels_[at + 2] = c.b;
  }

  uint32_t width_;
  std::vector<uint8_t> pixels_;
};

uint8_t Over(uint32_t color, uint32_t alpha, uint8_t background) {
  return static_cast<uint8_t>((color * alpha + background * (255 - alpha) + 127) / 255);
}

// The frame one pixel outside the box x0..x0+w, y0..y0+h.
void DrawFrame(Band& band, uint32_t x0, uint32_t y0, uint32_t w, uint32_t h, Rgb c) {
  for (uint32_t x = x0 - 1; x <= x0 + w; ++x) {
    band.Set(x, y0 - 1, c);
    band.Set(x, y0 + h, c);
  }
  for (uint32_t y = y0 - 1; y <= y0 + h; ++y) {
    band.Set(x0 - 1, y, c);
    band.Set(x0 + w, y, c);
  }
}

void DrawThumbnail(Band& band, uint32_t cellX, const audit::Picture& p) {
  if (p.width == 0 || p.height == 0) {
    DrawFrame(band, cellX + kCellPadding, kCellPadding, kThumbnailWidth, kThumbnailHeight, kFrame);
    return;
  }
  uint32_t tw = p.width, th = p.height;
  if (tw > kThumbnailWidth || th > kThumbnailHeight) {
    if (uint64_t{p.width} * kThumbnailHeight >= uint64_t{p.height} * kThumbnailWidth) {
      tw = kThumbnailWidth;
      th = std::max<uint32_t>(1, static_cast<uint32_t>(uint64_t{p.height} * kThumbnailWidth / p.width));
    } else {
      th = kThumbnailHeight;
      tw = std::max<uint32_t>(1, static_cast<uint32_t>(uint64_t{p.width} * kThumbnailHeight / p.height));
    }
  }
  const uint32_t x0 = cellX + kCellPadding + (kThumbnailWidth - tw) / 2;
  const uint32_t y0 = kCellPadding + (kThumbnailHeight - th) / 2;
  DrawFrame(band, x0, y0, tw, th, kFrame);

  for (uint32_t ty = 0; ty < th; ++ty) {
    // The source rows this thumbnail row covers, and the ones sampled.
    const uint64_t top = uint64_t{ty} * p.height / th;
    const uint64_t bottom = std::max(top + 1, uint64_t{ty + 1} * p.height / th);
    const uint64_t rows = std::min<uint64_t>(kMostSamples, bottom - top);
    for (uint32_t tx = 0; tx < tw; ++tx) {
      const uint64_t left = uint64_t{tx} * p.width / tw;
      const uint64_t right = std::max(left + 1, uint64_t{tx + 1} * p.width / tw);
      const uint64_t columns = std::min<uint64_t>(kMostSamples, right - left);
      uint32_t sum[3] = {}, alpha = 0;
      for (uint64_t sy = 0; sy < rows; ++sy) {
        const auto y = static_cast<uint32_t>(top + (bottom - top) * (2 * sy + 1) / (2 * rows));
        for (uint64_t sx = 0; sx < columns; ++sx) {
          const auto x = static_cast<uint32_t>(left + (right - left) * (2 * sx + 1) / (2 * columns));
          uint8_t rgba[4];
          p.Rgba(x, y, rgba);
          for (int c = 0; c < 3; ++c) sum[c] += uint32_t{rgba[c]} * rgba[3];
          alpha += rgba[3];
        }
      }
      const uint32_t samples = static_cast<uint32_t>(rows * columns);
      const uint32_t a = (alpha + samples / 2) / samples;
      uint32_t color[3] = {};
      for (int c = 0; c < 3; ++c) color[c] = alpha == 0 ? 0 : (sum[c] + alpha / 2) / alpha;
      const Rgb under = ((tx / kCheckerSquare + ty / kCheckerSquare) & 1) ? kCheckerDark : kCheckerLight;
      band.Set(x0 + tx, y0 + ty,
               {Over(color[0], a, under.r), Over(color[1], a, under.g), Over(color[2], a, under.b)});
    }
  }
}

void DrawBroken(Band& band, uint32_t cellX) {
  const uint32_t x0 = cellX + kCellPadding, y0 = kCellPadding;
  DrawFrame(band, x0, y0, kThumbnailWidth, kThumbnailHeight, kBroken);
  for (uint32_t x = 0; x < kThumbnailWidth; ++x) {
    const uint32_t y = x * kThumbnailHeight / kThumbnailWidth;
    for (uint32_t thick = 0; thick < 2; ++thick) {
      band.Set(x0 + x, y0 + y + thick, kBroken);
      band.Set(x0 + x, y0 + kThumbnailHeight - 1 - y - thick, kBroken);
    }
  }
}

void DrawLabel(Band& band, uint32_t cellX, std::string_view name) {
  if (name.empty()) return;
  const size_t most = (kCellWidth - 2) / font::kAdvance;
  if (name.size() > most) name = name.substr(0, most);
  const uint32_t width = static_cast<uint32_t>(name.size()) * font::kAdvance - 1;
  const uint32_t x0 = cellX + (kCellWidth - std::min(width, kCellWidth)) / 2;
  const uint32_t y0 = kCellPadding + kThumbnailHeight + kLabelGap;
  for (size_t i = 0; i < name.size(); ++i) {
    const font::Glyph& glyph = font::GlyphOf(name[i]);
    for (int x = 0; x < font::kGlyphWidth; ++x) {
      for (int y = 0; y < font::kGlyphHeight; ++y) {
        if (font::IsSet(glyph, x, y))
          band.Set(x0 + static_cast<uint32_t>(i * font::kAdvance + static_cast<size_t>(x)),
                   y0 + static_cast<uint32_t>(y), kLabel);
      }
    }
  }
}

}  // namespace

Status MakeContactSheet(std::span<const uint8_t> file, uint32_t columns, const base::Translations& texts,
                        std::vector<uint8_t>& out, std::string& notes) {
  using base::Format;
  out.clear();
  const archive::ArchiveReader reader(file);
  if (!reader.Ok()) {
    notes += Format(texts.Tr("no contact sheet: %s\n"),
                    std::string(archive::Describe(reader.Error(), texts)).c_str());
    return Status::kCannotRun;
  }
  // A member named as a picture that does not begin as one is data; one
  // that cannot be read stays, to be drawn as broken.
  std::vector<const archive::Entry*> pictures;
  {
    audit::MemberUnpacker unpacker(reader);
    std::vector<uint8_t> bytes;
    std::string why;
    for (const archive::Entry& e : reader.Entries()) {
      if (audit::KindOf(e.name) != audit::MemberKind::kPicture) continue;
      if (unpacker.Unpack(e, bytes, why) && audit::KindOf(e.name, bytes) != audit::MemberKind::kPicture)
        continue;
      pictures.push_back(&e);
    }
  }
  if (pictures.empty()) {
    notes += texts.Tr("no contact sheet: the archive holds no picture\n");
    return Status::kCannotRun;
  }
  if (columns > kMostColumns) {
    notes += Format(texts.Tr("no contact sheet: at most %u columns\n"), kMostColumns);
    return Status::kCannotRun;
  }
  const size_t fewestColumns = (pictures.size() + kMostRows - 1) / kMostRows;
  if (fewestColumns > kMostColumns) {
    notes += Format(
        texts.Tr("no contact sheet: %zu pictures need more than %u columns to stay within %u pixels\n"),
        pictures.size(), kMostColumns, audit::kMostPictureSide);
    return Status::kCannotRun;
  }
  if (columns == 0) columns = static_cast<uint32_t>(std::max<size_t>(kDefaultColumns, fewestColumns));
  if (columns < fewestColumns) {
    notes += Format(
        texts.Tr("no contact sheet: %zu pictures need at least %zu columns to stay within %u pixels\n"),
        pictures.size(), fewestColumns, audit::kMostPictureSide);
    return Status::kCannotRun;
  }
  columns = static_cast<uint32_t>(std::min<size_t>(columns, pictures.size()));
  const auto rows = static_cast<uint32_t>((pictures.size() + columns - 1) / columns);
  const uint32_t width = columns * kCellWidth;

  Status status = Status::kGood;
  std::string error;
  try {
    Band band(width);
    audit::MemberUnpacker unpacker(reader, texts);
    std::vector<uint8_t> bytes;
    std::string why;
    const auto drawBand = [&](uint32_t r) {
      band.Clear();
      for (uint32_t c = 0; c < columns && size_t{r} * columns + c < pictures.size(); ++c) {
        const archive::Entry& e = *pictures[size_t{r} * columns + c];
        const uint32_t cellX = c * kCellWidth;
        std::optional<audit::Picture> picture;
        if (!unpacker.Unpack(e, bytes, why)) {
          notes += Format(texts.Tr("%s: not drawn: %s\n"), audit::MemberLabel(e, texts).c_str(), why.c_str());
        } else if (!(picture = audit::ReadPicture(bytes))) {
          notes += Format(texts.Tr("%s: not drawn: not a well-formed PDT10 picture\n"),
                          audit::MemberLabel(e, texts).c_str());
        }
        if (picture) {
          DrawThumbnail(band, cellX, *picture);
        } else {
          DrawBroken(band, cellX);
          status = Status::kProblems;
        }
        DrawLabel(band, cellX, e.name);
      }
    };
    const bool encoded = EncodePng(
        width, rows * kCellHeight, false,
        [&](uint32_t y, uint8_t* row) {
          try {
            if (y % kCellHeight == 0) drawBand(y / kCellHeight);
          } catch (const std::bad_alloc&) {
            return false;
          }
          std::memcpy(row, band.Row(y % kCellHeight), size_t{width} * 3);
          return true;
        },
        out, error, texts);
    if (!encoded) {
      notes += Format(texts.Tr("no contact sheet: %s\n"), error.c_str());
      return Status::kCannotRun;
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    notes += texts.Tr("no contact sheet: not enough memory\n");
    return Status::kCannotRun;
  }
  return status;
}

}  // namespace avdtool
