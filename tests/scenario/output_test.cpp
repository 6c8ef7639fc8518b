#include "scenario/output.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "base/diagnostics.h"
#include "support/test_support.h"

namespace {

using base::CollectedDiagnostics;
using scenario::Output;
using test_support::Hex;

std::vector<uint8_t> Bytes(const Output& o, int32_t from) { return {o.Data() + from, o.Data() + o.Len()}; }

// An output with `room` bytes left before the 65,536-byte limit.
std::unique_ptr<Output> WithRoom(int32_t room, base::Diagnostics& diag) {
  auto o = std::make_unique<Output>(diag);
  o->Reset();
  while (o->Len() < 65536 - room) o->OutByte(0xAA);
  return o;
}

TEST(OutputEncoders, NumbersCarryTheirLengthInTheHighNibbleAndFlaggedAddsEight) {
  // clang-format off
  const std::pair<int32_t, const char*> cases[] = {
      {0, "10"}, {15, "1F"}, {16, "20 01"}, {4095, "2F FF"}, {4096, "30 00 01"}, {65536, "30 00 10"},
      {1048575, "3F FF FF"}, {1048576, "40 00 00 01"}, {268435455, "4F FF FF FF"},
      {268435456, "50 00 00 00 01"}, {-1, "5F FF FF FF FF"}, {-20, "5C FE FF FF FF"},
      {INT32_MIN, "50 00 00 00 F8"}};
  // clang-format on
  for (const auto& [value, hex] : cases) {
    SCOPED_TRACE(value);
    CollectedDiagnostics diag;
    Output o(diag);
    o.Reset();
    o.OutNum(value);
    o.OutNumFlagged(value);
    const std::vector<uint8_t> plain = Hex(hex);
    std::vector<uint8_t> expected = plain;
    expected.insert(expected.end(), plain.begin(), plain.end());
    expected[plain.size()] |= 0x80;
    EXPECT_EQ(Bytes(o, 99), expected);
  }
}

TEST(OutputEncoders, IntsStringsOpcode89AndTheHeaderWithItsCodeLength) {
  CollectedDiagnostics diag;
  Output o(diag);
  o.Reset();
  std::vector<uint8_t> header(99, 0);
  for (size_t i = 0; i < 5; ++i) header[i] = static_cast<uint8_t>("TPC32"[i]);
  header[40] = header[80] = header[85] = header[90] = 1;
  EXPECT_EQ(Bytes(o, 0), header);

  o.OutInt(300);
  o.OutInt(-2);
  o.OutStr("AB");
  o.OutStr("");
  o.OutOp(scenario::target::kOp89Sub4, 300);
  o.OutByte(0x1FF);
  EXPECT_EQ(Bytes(o, 99), Hex("2C010000 FEFFFFFF 414200 00 59 04 2C12 FF"));
  while (o.Len() < 1000) o.OutByte(0);
  o.PatchCodeLength();
  EXPECT_EQ(std::vector<uint8_t>(o.Data() + 95, o.Data() + 99), Hex("85 03 00 00"));
}

TEST(OutputOverflow, ExactlyFullIsSilentAndWhatDoesNotFitIsDroppedWithItsMessage) {
  CollectedDiagnostics diag;
  auto o = WithRoom(4, diag);
  o->OutInt(1);
  EXPECT_EQ(diag.Text(), "");

  o = WithRoom(3, diag);
  o->OutInt(0);
  o->OutNumFlagged(1048576);
  o->OutNum(16);
  o->OutNum(4096);
  o->OutByte(1);
  o->OutByte(2);
  o->PatchSlot(65533, 99 + 7);  // the slot that did not fit is never written
  EXPECT_EQ(o->Len(), 65536);
  EXPECT_EQ(Bytes(*o, 65533), Hex("20 01 01"));
  EXPECT_EQ(diag.Text(),
            "Error : OutBuffer overflow @ OutInt\n"
            "Error : OutBuffer overflow @ OutNum\n"
            "Error : OutBuffer overflow @ OutNum\n"
            "Error : OutBuffer overflow @ OutByte\n");
}

TEST(OutputOverflow, AStringThatDoesNotFitBecomesOneZeroByteWhileThereIsRoom) {
  CollectedDiagnostics diag;
  auto o = WithRoom(3, diag);
  o->OutStr("AB");
  EXPECT_EQ(diag.Text(), "");
  o = WithRoom(2, diag);
  o->OutStr("AB");
  o->OutStr("C");
  o->OutStr("D");
  EXPECT_EQ(Bytes(*o, 65533), Hex("AA 00 00"));
  EXPECT_EQ(diag.Text(),
            "Error : OutBuffer overflow @ OutStr\n"
            "Error : OutBuffer overflow @ OutStr\n"
            "Error : OutBuffer overflow @ OutStr\n");
}

}  // namespace
