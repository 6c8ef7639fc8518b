#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/byte_order.h"
#include "image/pdt_format.h"
#include "scenario/tpc_format.h"

// Archive members built by their formats' own offsets.
namespace test_support {

// A "PDT10" member of a source picture of sourceWidth × sourceHeight: the
// stored pixels (5-6-5) and, when not empty, the alpha plane.
inline std::vector<uint8_t> Pdt(uint32_t sourceWidth, uint32_t sourceHeight,
                                const std::vector<uint16_t>& pixels, const std::vector<uint8_t>& alpha = {}) {
  namespace pdt = image::pdt;
  std::vector<uint8_t> m(pdt::kHeaderSize + pdt::kPixelSize * pixels.size(), 0);
  std::copy(pdt::kMagic.begin(), pdt::kMagic.end(), m.begin() + pdt::kMagicOffset);
  base::PutU32(m.data() + pdt::kWidthOffset, sourceWidth);
  base::PutU32(m.data() + pdt::kHeightOffset, sourceHeight);
  const auto pixelPlane = static_cast<uint32_t>(pdt::kPixelSize * pixels.size());
  base::PutU32(m.data() + pdt::kAlphaPlaneOffset, alpha.empty() ? 0 : pixelPlane);
  for (size_t i = 0; i < pixels.size(); ++i)
    base::PutU16(m.data() + pdt::kHeaderSize + pdt::kPixelSize * i, pixels[i]);
  m.insert(m.end(), alpha.begin(), alpha.end());
  return m;
}

// A "TPC32" scenario with `code` behind its header, whose fixed fields hold
// the converter's values when `fixedFields` is set and zeros otherwise.
inline std::vector<uint8_t> Tpc(const std::vector<uint8_t>& code, bool fixedFields = false) {
  namespace tpc = scenario::tpc;
  std::vector<uint8_t> m(tpc::kHeaderSize, 0);
  std::copy(tpc::kMagic.begin(), tpc::kMagic.end(), m.begin() + tpc::kMagicOffset);
  if (fixedFields) {
    for (const tpc::FixedField& f : tpc::kFixedFields) base::PutU32(m.data() + f.offset, f.value);
  }
  base::PutU32(m.data() + tpc::kCodeLengthOffset, static_cast<uint32_t>(code.size()));
  m.insert(m.end(), code.begin(), code.end());
  return m;
}

}  // namespace test_support
