#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "base/byte_order.h"
#include "image/moe_format.h"
#include "support/test_support.h"

// Builders of ".MOE" test files.
namespace moe_test {

// The two small pictures used as worked examples: a 4 × 2 palette-form
// picture with a keyed pixel in every block, and a 2 × 2 run-length one.
inline constexpr const char* kWorkedPaletteFile =
    "4D 4D 44 1A 04 00 02 00 01 00 00 00 03 00 00 00 04 00 00 00 00 00 00 00"
    "C0 01 41 00 01 02 01 00 00 FF 00 FF 00 FF 00 00";
inline constexpr const char* kWorkedRunLengthFile = "02 00 02 00 02 00 00 FF 82 00 FF 00 FF FF FF 00";

// A palette-form file laid out in the usual order: header, flag bits, delta
// section, index section, palette. The header's section fields are derived
// from the sections unless a test overrides them.
struct PaletteFile {
  uint16_t width = 4;
  uint16_t height = 1;
  std::string flags = "";  // one '0' or '1' per group, in decoding order; spaces ignored
  std::string deltas = "", indices = "", palette = "";         // hex
  int64_t deltaStart = -1, indexStart = -1, indexLength = -1;  // header fields; -1 = derived

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> flagBytes;
    size_t group = 0;
    for (char bit : flags) {
      if (bit != '0' && bit != '1') continue;
      if (group % 8 == 0) flagBytes.push_back(0);
      if (bit == '1') flagBytes.back() |= static_cast<uint8_t>(0x80 >> (group % 8));
      ++group;
    }
    std::vector<uint8_t> d = test_support::Hex(deltas), x = test_support::Hex(indices),
                         p = test_support::Hex(palette);
    namespace moe = image::moe;
    std::vector<uint8_t> file(moe::kPaletteMagic.begin(), moe::kPaletteMagic.end());
    file.resize(moe::kPaletteHeaderSize, 0);
    base::PutU16(&file[moe::kPaletteWidthOffset], width);
    base::PutU16(&file[moe::kPaletteHeightOffset], height);
    base::PutU32(&file[moe::kPaletteDeltaStartOffset],
                 static_cast<uint32_t>(deltaStart >= 0 ? deltaStart : flagBytes.size()));
    base::PutU32(&file[moe::kPaletteIndexStartOffset],
                 static_cast<uint32_t>(indexStart >= 0 ? indexStart : flagBytes.size() + d.size()));
    base::PutU32(&file[moe::kPaletteIndexLengthOffset],
                 static_cast<uint32_t>(indexLength >= 0 ? indexLength : x.size()));
    for (const auto* section : {&flagBytes, &d, &x, &p})
      file.insert(file.end(), section->begin(), section->end());
    return file;
  }
};

// A run-length file: width, height, then the items given as hex.
inline std::vector<uint8_t> RunLengthFile(uint16_t width, uint16_t height, const std::string& items) {
  std::vector<uint8_t> file(image::moe::kRunLengthHeaderSize);
  base::PutU16(&file[0], width);
  base::PutU16(&file[2], height);
  const std::vector<uint8_t> body = test_support::Hex(items);
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

inline std::string Repeat(const std::string& text, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += text;
  return out;
}

}  // namespace moe_test
