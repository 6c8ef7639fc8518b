#include "scenario/output.h"

#include <cstring>

#include "base/byte_order.h"

namespace scenario {
namespace {

// The magic and the fixed fields; the code length is patched when the
// scenario is finished.
constexpr std::array<uint8_t, tpc::kHeaderSize> MakeHeaderTemplate() {
  std::array<uint8_t, tpc::kHeaderSize> h{};
  for (size_t i = 0; i < tpc::kMagic.size(); ++i)
    h[tpc::kMagicOffset + i] = static_cast<uint8_t>(tpc::kMagic[i]);
  for (const tpc::FixedField& f : tpc::kFixedFields) {
    for (size_t i = 0; i < 4; ++i) h[f.offset + i] = static_cast<uint8_t>(f.value >> (8 * i));
  }
  return h;
}

constexpr std::array<uint8_t, tpc::kHeaderSize> kHeaderTemplate = MakeHeaderTemplate();

}  // namespace

void Output::Reset() {
  std::memcpy(buffer_.data(), kHeaderTemplate.data(), kHeaderTemplate.size());
  len_ = kHeaderSize;
}

void Output::OutByte(int32_t v) {
  if (!Fits(1)) {
    diag_.Line("Error : OutBuffer overflow @ OutByte\n");
    return;
  }
  buffer_[static_cast<size_t>(len_++)] = static_cast<uint8_t>(v);
}

void Output::OutInt(int32_t v) {
  if (!Fits(4)) {
    diag_.Line("Error : OutBuffer overflow @ OutInt\n");
    return;
  }
  base::PutU32(buffer_.data() + len_, static_cast<uint32_t>(v));
  len_ += 4;
}

void Output::PutNum(int32_t v, uint8_t flag) {
  uint8_t bytes[5];
  int count = 1;
  int32_t rest = v >> 4;  // arithmetic: a negative value never reaches zero
  while (rest != 0 && count < 5) {
    bytes[count++] = static_cast<uint8_t>(rest & 0xFF);
    rest >>= 8;
  }
  bytes[0] = static_cast<uint8_t>((v & 0x0F) | ((count | flag) << 4));
  if (!Fits(static_cast<size_t>(count))) {
    diag_.Line("Error : OutBuffer overflow @ OutNum\n");
    return;
  }
  std::memcpy(buffer_.data() + len_, bytes, static_cast<size_t>(count));
  len_ += count;
}

void Output::OutNum(int32_t v) { PutNum(v, 0); }

void Output::OutNumFlagged(int32_t v) { PutNum(v, 8); }

void Output::OutStr(std::string_view s) {
  if (!Fits(s.size() + 1)) {
    diag_.Line("Error : OutBuffer overflow @ OutStr\n");
    if (Fits(1)) buffer_[static_cast<size_t>(len_++)] = 0;
    return;
  }
  // An empty view may carry no pointer at all (a string cut off by the end
  // of the source), which memcpy must not be given.
  if (!s.empty()) std::memcpy(buffer_.data() + len_, s.data(), s.size());
  len_ += static_cast<int32_t>(s.size());
  buffer_[static_cast<size_t>(len_++)] = 0;
}

void Output::OutOp(target::Code code) {
  OutByte(code.opcode);
  if (code.HasSub()) OutByte(code.sub);
}

void Output::OutOp(target::Code code, int32_t n) {
  OutOp(code);
  OutNum(n);
}

void Output::PatchSlot(int32_t slotPos, int32_t targetPos) {
  if (slotPos < kHeaderSize || slotPos > len_ - 4) return;
  base::PutU32(buffer_.data() + slotPos, static_cast<uint32_t>(targetPos - kHeaderSize));
}

void Output::PatchCodeLength() {
  base::PutU32(buffer_.data() + kCodeLengthOffset, static_cast<uint32_t>(len_ - kHeaderSize));
}

void Output::RewriteByte(int32_t pos, uint8_t value) {
  if (pos < 0 || pos >= len_) return;
  buffer_[static_cast<size_t>(pos)] = value;
}

}  // namespace scenario
