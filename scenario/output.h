#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "base/diagnostics.h"
#include "scenario/target_opcodes.h"
#include "scenario/tpc_format.h"

namespace scenario {

// The target scenario being built: a fixed 65,536-byte buffer holding the
// 99-byte "TPC32" header (scenario/tpc_format.h) and the code behind it, and the emitters that every
// translation handler writes through. Positions stored in the file about
// itself (code length, jump slots) are code offsets: position - 99.
//
// An emitter whose bytes do not fit writes nothing and reports its overflow
// line to the diagnostics; translation carries on.
class Output {
 public:
  explicit Output(base::Diagnostics& diag) : diag_(diag) {}

  static constexpr size_t kCapacity = tpc::kMostBytes;
  static constexpr int32_t kHeaderSize = static_cast<int32_t>(tpc::kHeaderSize);
  static constexpr size_t kCodeLengthOffset = tpc::kCodeLengthOffset;

  // Copies the header template and sets the length to the header's size.
  void Reset();

  void OutByte(int32_t v);
  void OutInt(int32_t v);
  void OutNum(int32_t v);
  void OutNumFlagged(int32_t v);
  void OutStr(std::string_view s);
  // A target opcode and its sub-code, if it has one; then the number `n`.
  void OutOp(target::Code code);
  void OutOp(target::Code code, int32_t n);

  // Writes the code offset of `targetPos` into the 4-byte slot at `slotPos`.
  // A slot that lies (even partly) beyond the written bytes is left alone.
  void PatchSlot(int32_t slotPos, int32_t targetPos);
  // Writes the code length into the header.
  void PatchCodeLength();
  // Overwrites one byte already written; positions beyond the length are
  // left alone.
  void RewriteByte(int32_t pos, uint8_t value);

  int32_t Len() const { return len_; }
  const uint8_t* Data() const { return buffer_.data(); }

 private:
  bool Fits(size_t n) const { return static_cast<size_t>(len_) + n <= kCapacity; }
  // Writes the variable-length number form of `v`; `flag` goes into the
  // length nibble of the first byte.
  void PutNum(int32_t v, uint8_t flag);

  base::Diagnostics& diag_;
  std::array<uint8_t, kCapacity> buffer_{};
  int32_t len_ = 0;
};

}  // namespace scenario
