#include "image/source_image.h"

#include <algorithm>
#include <array>
#include <new>

#include "image/byte_reader.h"
#include "image/moe_format.h"

namespace image {
namespace {

using namespace moe;

constexpr uint64_t kPaletteFlagsStart = kPaletteHeaderSize;

// The pixel buffer and the number of pixels written so far.
class PixelWriter {
 public:
  explicit PixelWriter(std::vector<uint8_t>& pixels)
      : pixels_(pixels), capacity_(pixels.size() / kPixelSize) {}

  bool Full() const { return written_ >= capacity_; }

  // Writes the next pixel from three bytes; false when the buffer is full.
  bool Put(const uint8_t* bgr) {
    if (Full()) return false;
    uint8_t* dest = pixels_.data() + written_ * kPixelSize;
    for (uint64_t i = 0; i < kPixelSize; ++i) dest[i] = bgr[i];
    ++written_;
    return true;
  }

  // Writes a copy of the pixel `distance` pixels back; false when the buffer
  // is full or that pixel would lie before the first.
  bool Copy(uint64_t distance) {
    if (Full() || distance > written_) return false;
    uint8_t* dest = pixels_.data() + written_ * kPixelSize;
    const uint8_t* source = dest - distance * kPixelSize;
    for (uint64_t i = 0; i < kPixelSize; ++i) dest[i] = source[i];
    ++written_;
    return true;
  }

 private:
  std::vector<uint8_t>& pixels_;
  uint64_t capacity_;
  uint64_t written_ = 0;
};

// One decoding of a palette-form picture. Flag bits, delta bytes and index
// bytes each run on from row to row; the control row carries every group's
// control byte down to the next row, where a set flag bit XORs a delta into it.
class PaletteDecoder {
 public:
  PaletteDecoder(std::span<const uint8_t> file, const SourceHeader& header, PixelWriter& out)
      : file_(file),
        flags_(file, kPaletteFlagsStart),
        deltas_(file),
        indices_(file),
        out_(out),
        width_(static_cast<uint64_t>(header.width)),
        height_(static_cast<uint64_t>(header.height)),
        control_(width_ / kPixelsPerGroup, 0) {
    // The header is known to be whole (ReadSourceHeader checked its length).
    const auto field = [&](uint64_t offset) { return uint64_t{*ByteReader(file, offset).U32le()}; };
    const uint64_t deltaStart = kPaletteHeaderSize + field(kPaletteDeltaStartOffset);
    const uint64_t indexStart = kPaletteHeaderSize + field(kPaletteIndexStartOffset);
    paletteStart_ = indexStart + field(kPaletteIndexLengthOffset);
    deltas_ = ByteReader(file, deltaStart);
    indices_ = ByteReader(file, indexStart).EndingAt(paletteStart_);
    for (size_t n = 0; n < kCopySteps.size(); ++n) {
      const uint64_t dx = kCopySteps[n] & 0xFF, dy = kCopySteps[n] >> 8;
      distances_[n] = (dx + width_ * dy) & ~uint64_t{1};
    }
  }

  void Decode() {
    for (uint64_t y = 0; y < height_; ++y) {
      for (uint8_t& control : control_) {
        if (!NextGroup(control)) return;
      }
    }
  }

 private:
  // Decodes one group of four pixels; false when decoding stops.
  bool NextGroup(uint8_t& control) {
    if (flagMask_ == 0x80) {
      std::optional<uint8_t> flags = flags_.U8();
      if (!flags) return false;
      flagByte_ = *flags;
    }
    if (flagByte_ & flagMask_) {
      std::optional<uint8_t> delta = deltas_.U8();
      if (!delta) return false;
      control ^= *delta;
    }
    flagMask_ = flagMask_ == 1 ? 0x80 : flagMask_ >> 1;
    return Pair(control >> 4) && Pair(control & 0x0F);
  }

  // Two pixels: literal palette entries for nibble 0, copies otherwise.
  bool Pair(int nibble) {
    for (int i = 0; i < 2; ++i) {
      if (nibble == 0 ? !Literal() : !out_.Copy(distances_[nibble])) return false;
    }
    return true;
  }

  bool Literal() {
    std::optional<uint8_t> index = indices_.U8();
    if (!index) return false;
    const uint8_t* entry = ByteReader(file_).At(paletteStart_ + kPixelSize * *index, kPixelSize);
    return entry && out_.Put(entry);
  }

  std::span<const uint8_t> file_;
  ByteReader flags_;
  ByteReader deltas_;
  ByteReader indices_;  // ends where the palette starts
  PixelWriter& out_;
  uint64_t width_;
  uint64_t height_;
  uint64_t paletteStart_ = 0;
  std::vector<uint8_t> control_;  // one entry per group of a row
  std::array<uint64_t, 16> distances_{};
  uint8_t flagByte_ = 0;
  uint8_t flagMask_ = 0x80;
};

void DecodeRunLength(std::span<const uint8_t> file, PixelWriter& out) {
  ByteReader in(file, kRunLengthHeaderSize);
  while (std::optional<uint8_t> c = in.U8()) {
    if ((*c & 0x7F) == 0) return;
    if (*c > 0x80) {
      // A literal block keeps the pixels it holds whole.
      for (int i = 0; i < *c - 0x80; ++i) {
        if (out.Full()) return;
        const uint8_t* pixel = in.Take(kPixelSize);
        if (!pixel) return;
        out.Put(pixel);
      }
    } else {
      // A run whose pixel is cut by the end writes nothing.
      const uint8_t* pixel = in.Take(kPixelSize);
      if (!pixel) return;
      for (int i = 0; i < *c; ++i) {
        if (!out.Put(pixel)) return;
      }
    }
  }
}

}  // namespace

uint64_t SourceHeader::PixelBytes() const {
  return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * kPixelSize;
}

std::optional<SourceHeader> ReadSourceHeader(std::span<const uint8_t> file) {
  ByteReader in(file);
  const uint8_t* magic = in.At(0, kPaletteMagic.size());
  const bool palette = magic && std::equal(kPaletteMagic.begin(), kPaletteMagic.end(), magic);
  if (palette) {
    if (file.size() < kPaletteHeaderSize) return std::nullopt;
    in = ByteReader(file, kPaletteWidthOffset);
  } else if (file.size() < kRunLengthHeaderSize) {
    return std::nullopt;
  }
  const uint32_t width = *in.U16le();
  const uint32_t height = *in.U16le();
  return SourceHeader{palette ? SourceForm::kPalette : SourceForm::kRunLength, static_cast<int32_t>(width),
                      static_cast<int32_t>(height)};
}

std::optional<DecodedImage> DecodeSourceImage(std::span<const uint8_t> file) {
  std::optional<SourceHeader> header = ReadSourceHeader(file);
  if (!header || header->PixelBytes() > kMaxPixelBytes) return std::nullopt;

  DecodedImage image{header->width, header->height, {}};
  try {
    image.pixels.assign(header->PixelBytes(), 0);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  PixelWriter out(image.pixels);
  if (header->form == SourceForm::kPalette) {
    PaletteDecoder(file, *header, out).Decode();
  } else {
    DecodeRunLength(file, out);
  }
  return image;
}

}  // namespace image
