#include "sample/moe_encoder.h"

#include <algorithm>
#include <array>
#include <cstddef>

#include "base/byte_order.h"
#include "image/moe_format.h"

namespace tools {
namespace {

using namespace image::moe;

// Order in which copies are tried when the row above's choice does not fit:
// the nearest sources first.
constexpr std::array<int, 15> kCopyPreference = {1, 4, 2, 5, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

// Run-length items, ended by 0x00.
constexpr int kMaxRun = 127;
constexpr int kMaxLiteral = 127;
constexpr uint8_t kLiteralFlag = 0x80;
constexpr uint8_t kEndOfData = 0x00;

constexpr uint32_t kMaxSide = 65535;

constexpr uint32_t Colour(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16); }
constexpr uint32_t kKeyColour = kKeyBlue | (kKeyGreen << 8) | (kKeyRed << 16);

void PutU16(std::vector<uint8_t>& out, size_t pos, uint32_t v) { base::PutU16(out.data() + pos, v); }

void PutU32(std::vector<uint8_t>& out, size_t pos, uint32_t v) { base::PutU32(out.data() + pos, v); }

// The colours of one picture in order of first appearance, each with its
// palette index; refuses a colour beyond the 256th.
class ColourTable {
 public:
  ColourTable() { slots_.fill(-1); }

  // The index of `colour`, added when new; -1 when the table is full.
  int IndexOf(uint32_t colour) {
    size_t slot = (colour * 2654435761u) >> (32 - kBits);
    while (slots_[slot] >= 0) {
      if (colours_[slots_[slot]] == colour) return slots_[slot];
      slot = (slot + 1) & (kSlots - 1);
    }
    if (colours_.size() == kMaxPaletteColours) return -1;
    slots_[slot] = static_cast<int16_t>(colours_.size());
    colours_.push_back(colour);
    return slots_[slot];
  }

  const std::vector<uint32_t>& Colours() const { return colours_; }

 private:
  static constexpr int kBits = 10;
  static constexpr size_t kSlots = size_t{1} << kBits;
  std::array<int16_t, kSlots> slots_;
  std::vector<uint32_t> colours_;
};

struct Depth {
  int blue, green, red;
};
// Bits per channel tried in turn; the last one has 256 colours at most.
constexpr std::array<Depth, 9> kDepths = {
    {{7, 7, 7}, {6, 6, 6}, {5, 6, 5}, {5, 5, 5}, {4, 5, 4}, {4, 4, 4}, {3, 4, 3}, {3, 3, 3}, {2, 3, 3}}};

// `v` kept to its top `bits` bits and spread back over 0..255, so that 0 and
// 255 stay what they are.
uint8_t Reduce(uint8_t v, int bits) {
  int top = (1 << bits) - 1;
  int q = v >> (8 - bits);
  return static_cast<uint8_t>((q * 255 + top / 2) / top);
}

// Reduces every pixel to `depth` into `out`; false when more than 256
// colours remain.
bool ReduceTo(const Depth& depth, size_t count, const uint8_t* pixels, uint8_t* out) {
  ColourTable table;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = pixels + 3 * i;
    uint8_t* q = out + 3 * i;
    q[0] = Reduce(p[0], depth.blue);
    q[1] = Reduce(p[1], depth.green);
    q[2] = Reduce(p[2], depth.red);
    if (Colour(q) == kKeyColour && Colour(p) != kKeyColour) {
      // A colour near the key must stay visible: one green step down.
      int top = (1 << depth.green) - 1;
      q[1] = static_cast<uint8_t>(((top - 1) * 255 + top / 2) / top);
    }
    if (table.IndexOf(Colour(q)) < 0) return false;
  }
  return true;
}

bool FitsPalette(size_t count, const uint8_t* pixels) {
  ColourTable table;
  for (size_t i = 0; i < count; ++i) {
    if (table.IndexOf(Colour(pixels + 3 * i)) < 0) return false;
  }
  return true;
}

size_t PixelCount(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return static_cast<size_t>(width) * static_cast<size_t>(height);
}

// The nibble that codes the pixel pair at `pos`: the row above's nibble when
// it still copies the right pixels, else the first matching copy, else 0
// (two literal indices). Pixels before `pos` are already final, and every
// copy distance is at least 2, so both sources are decoded pixels.
int ChooseNibble(const std::vector<uint8_t>& indices, size_t pos, int previous,
                 const std::array<size_t, 16>& distance) {
  auto copies = [&](int n) {
    size_t d = distance[n];
    return d <= pos && indices[pos - d] == indices[pos] && indices[pos + 1 - d] == indices[pos + 1];
  };
  if (previous != 0 && copies(previous)) return previous;
  for (int n : kCopyPreference) {
    if (copies(n)) return n;
  }
  return 0;
}

}  // namespace

std::vector<uint8_t> LimitColours(int width, int height, const uint8_t* pixels) {
  size_t count = PixelCount(width, height);
  std::vector<uint8_t> out(pixels, pixels + 3 * count);
  if (FitsPalette(count, pixels)) return out;
  for (const Depth& depth : kDepths) {
    if (ReduceTo(depth, count, pixels, out.data())) break;
  }
  return out;
}

std::vector<uint8_t> EncodePaletteForm(int width, int height, const uint8_t* pixels) {
  if (width < kPixelsPerGroup || width > kMaxPaletteFormWidth || width % kPixelsPerGroup != 0 || height < 1 ||
      static_cast<uint32_t>(height) > kMaxSide) {
    return {};
  }
  size_t count = PixelCount(width, height);
  std::vector<uint8_t> limited = LimitColours(width, height, pixels);

  ColourTable table;
  std::vector<uint8_t> indices(count);
  for (size_t i = 0; i < count; ++i) {
    indices[i] = static_cast<uint8_t>(table.IndexOf(Colour(&limited[3 * i])));
  }

  std::array<size_t, 16> distance{};
  for (size_t n = 0; n < distance.size(); ++n) {
    size_t dx = kCopySteps[n] & 0xFF;
    size_t dy = kCopySteps[n] >> 8;
    distance[n] = (dx + static_cast<size_t>(width) * dy) & ~size_t{1};
  }

  const int groupsPerRow = width / kPixelsPerGroup;
  const size_t groupCount = static_cast<size_t>(groupsPerRow) * static_cast<size_t>(height);
  std::vector<uint8_t> flags((groupCount + 7) / 8, 0);
  std::vector<uint8_t> deltas;
  std::vector<uint8_t> literals;
  std::array<uint8_t, kMaxPaletteFormWidth / kPixelsPerGroup> control{};

  size_t group = 0;
  for (int y = 0; y < height; ++y) {
    for (int g = 0; g < groupsPerRow; ++g, ++group) {
      size_t pos = static_cast<size_t>(y) * static_cast<size_t>(width) + kPixelsPerGroup * g;
      int high = ChooseNibble(indices, pos, control[g] >> 4, distance);
      int low = ChooseNibble(indices, pos + 2, control[g] & 0x0F, distance);
      uint8_t c = static_cast<uint8_t>((high << 4) | low);
      if (uint8_t delta = c ^ control[g]) {
        flags[group / 8] |= static_cast<uint8_t>(0x80 >> (group % 8));
        deltas.push_back(delta);
        control[g] = c;
      }
      if (high == 0) literals.insert(literals.end(), &indices[pos], &indices[pos + 2]);
      if (low == 0) literals.insert(literals.end(), &indices[pos + 2], &indices[pos + 4]);
    }
  }

  const std::vector<uint32_t>& palette = table.Colours();
  std::vector<uint8_t> out(kPaletteHeaderSize, 0);
  out.reserve(kPaletteHeaderSize + flags.size() + deltas.size() + literals.size() + 3 * palette.size());
  std::copy(kPaletteMagic.begin(), kPaletteMagic.end(), out.begin());
  PutU16(out, kPaletteWidthOffset, static_cast<uint32_t>(width));
  PutU16(out, kPaletteHeightOffset, static_cast<uint32_t>(height));
  PutU32(out, kPaletteDeltaStartOffset, static_cast<uint32_t>(flags.size()));
  PutU32(out, kPaletteIndexStartOffset, static_cast<uint32_t>(flags.size() + deltas.size()));
  PutU32(out, kPaletteIndexLengthOffset, static_cast<uint32_t>(literals.size()));
  out.insert(out.end(), flags.begin(), flags.end());
  out.insert(out.end(), deltas.begin(), deltas.end());
  out.insert(out.end(), literals.begin(), literals.end());
  for (uint32_t colour : palette) {
    out.push_back(static_cast<uint8_t>(colour));
    out.push_back(static_cast<uint8_t>(colour >> 8));
    out.push_back(static_cast<uint8_t>(colour >> 16));
  }
  return out;
}

std::vector<uint8_t> EncodeRunLength(int width, int height, const uint8_t* pixels) {
  if (width < 0 || height < 0 || static_cast<uint32_t>(width) > kMaxSide ||
      static_cast<uint32_t>(height) > kMaxSide) {
    return {};
  }
  const size_t count = PixelCount(width, height);
  auto same = [pixels](size_t a, size_t b) { return Colour(pixels + 3 * a) == Colour(pixels + 3 * b); };

  std::vector<uint8_t> out(kRunLengthHeaderSize, 0);
  PutU16(out, 0, static_cast<uint32_t>(width));
  PutU16(out, 2, static_cast<uint32_t>(height));
  size_t i = 0;
  while (i < count) {
    int run = 1;
    while (run < kMaxRun && i + run < count && same(i, i + run)) ++run;
    if (run >= 2) {
      // A run of two already costs less than two literal pixels.
      out.push_back(static_cast<uint8_t>(run));
      out.insert(out.end(), pixels + 3 * i, pixels + 3 * i + 3);
      i += static_cast<size_t>(run);
      continue;
    }
    size_t start = i;
    int literal = 0;
    while (literal < kMaxLiteral && i < count && !(i + 1 < count && same(i, i + 1))) {
      ++i;
      ++literal;
    }
    out.push_back(static_cast<uint8_t>(kLiteralFlag | literal));
    out.insert(out.end(), pixels + 3 * start, pixels + 3 * i);
  }
  out.push_back(kEndOfData);
  return out;
}

}  // namespace tools
