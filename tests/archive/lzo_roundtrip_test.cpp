// LZO alone, as every archive member uses it: LZO1X-999 compression and the
// safe decompressor. Links only liblzo2 and GoogleTest, so it builds and
// runs wherever the library does, the Windows build included.
#include <gtest/gtest.h>
#include <lzo/lzo1x.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "member_data.h"

namespace {

using Bytes = std::vector<uint8_t>;

using member_data::Noise;

void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

// Matches at every distance the format encodes differently (up to 2 KiB,
// up to 16 KiB, up to 48 KiB), long runs, literal runs and text.
Bytes Mixed() {
  Bytes out;
  Bytes a = Noise(3000, 1), b = Noise(20000, 2), c = Noise(600, 3);
  Append(out, a);
  Append(out, c);
  Append(out, c);  // distance 600
  Append(out, b);
  Append(out, a);  // distance about 21 KB
  Append(out, Noise(9000, 4));
  Append(out, b);  // distance about 32 KB
  out.insert(out.end(), 5000, 0);
  std::string text;
  for (int i = 0; i < 200; ++i) text += "\x81\x75scene " + std::to_string(i % 17) + "\x81\x76\r\n";
  out.insert(out.end(), text.begin(), text.end());
  return out;
}

size_t WorstCompressedSize(size_t n) { return n + n / 16 + 64 + 3; }

Bytes Compress(const Bytes& in) {
  Bytes out(WorstCompressedSize(in.size()));
  Bytes work(LZO1X_999_MEM_COMPRESS);
  lzo_uint packed = 0;
  EXPECT_EQ(lzo1x_999_compress(in.data(), in.size(), out.data(), &packed, work.data()), LZO_E_OK);
  EXPECT_LE(packed, out.size());
  out.resize(packed);
  return out;
}

// Decompresses into room for `room` bytes followed by guard bytes that must
// stay untouched; returns LZO's result, `out` receives what was written.
int Decompress(const Bytes& packed, size_t room, Bytes& out) {
  const size_t kGuard = 64;
  Bytes buffer(room + kGuard, 0xEE);
  lzo_uint outLen = room;
  int rc = lzo1x_decompress_safe(packed.data(), packed.size(), buffer.data(), &outLen, nullptr);
  for (size_t i = room; i < buffer.size(); ++i) {
    if (buffer[i] != 0xEE) {
      ADD_FAILURE() << "written past the output buffer at " << i;
      break;
    }
  }
  EXPECT_LE(outLen, room);
  out.assign(buffer.begin(), buffer.begin() + std::min<size_t>(outLen, room));
  return rc;
}

uint64_t Fnv1a(const Bytes& bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) h = (h ^ b) * 0x100000001b3ull;
  return h;
}

class LzoTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(lzo_init(), LZO_E_OK); }
};

TEST_F(LzoTest, RoundTripsEveryKindOfInput) {
  struct Case {
    const char* name;
    Bytes data;
  };
  Bytes zeros(300000, 0);
  const Case cases[] = {
      {"empty", {}},    {"one byte", {0x42}},       {"three bytes", {1, 2, 3}},
      {"zeros", zeros}, {"noise", Noise(70000, 7)}, {"mixed", Mixed()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes packed = Compress(c.data);
    EXPECT_LE(packed.size(), WorstCompressedSize(c.data.size()));
    Bytes out;
    ASSERT_EQ(Decompress(packed, c.data.size(), out), LZO_E_OK);
    EXPECT_EQ(out, c.data);
  }
  EXPECT_LT(Compress(zeros).size(), 2000u);
}

// The archive must be the same whichever platform writes it: the compressed
// bytes are those of Debian's liblzo2 on Linux.
TEST_F(LzoTest, CompressesToTheSameBytesOnEveryPlatform) {
  Bytes packed = Compress(Mixed());
  EXPECT_EQ(packed.size(), 32395u);
  EXPECT_EQ(Fnv1a(packed), 0x031f9ba2c34071cfull);
}

TEST_F(LzoTest, ReportsBrokenStreamsWithoutWritingOutsideTheBuffer) {
  const Bytes data = Mixed();
  const Bytes packed = Compress(data);
  Bytes out;

  // Cut short: in the middle, and without the end marker.
  EXPECT_EQ(Decompress(Bytes(packed.begin(), packed.begin() + packed.size() / 2), data.size(), out),
            LZO_E_INPUT_OVERRUN);
  EXPECT_EQ(Decompress(Bytes(packed.begin(), packed.end() - 3), data.size(), out), LZO_E_INPUT_OVERRUN);

  // Less room than the data needs.
  EXPECT_EQ(Decompress(packed, data.size() - 1, out), LZO_E_OUTPUT_OVERRUN);
  EXPECT_EQ(Decompress(packed, 100, out), LZO_E_OUTPUT_OVERRUN);
  EXPECT_EQ(Decompress(packed, 0, out), LZO_E_OUTPUT_OVERRUN);

  // Bytes after the end marker.
  Bytes trailing = packed;
  trailing.push_back(0);
  EXPECT_EQ(Decompress(trailing, data.size(), out), LZO_E_INPUT_NOT_CONSUMED);
  EXPECT_EQ(out, data);

  // One literal, then a match 2 KiB back, before the start of the output.
  const Bytes before = {18, 'A', 0x5C, 0xFF, 0x11, 0x00, 0x00};
  EXPECT_EQ(Decompress(before, 4096, out), LZO_E_LOOKBEHIND_OVERRUN);

  // Whatever byte is damaged, nothing is written outside the buffer (checked
  // inside Decompress).
  for (size_t at = 0; at < packed.size(); at += 97) {
    SCOPED_TRACE(at);
    Bytes broken = packed;
    broken[at] ^= 0x5A;
    Decompress(broken, data.size(), out);
  }
}

}  // namespace
