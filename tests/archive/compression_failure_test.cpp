// A member the compressor fails on: left out with a line that names it,
// whatever the number of workers. The library's compressor is replaced here
// by one that fails on members beginning with "FAIL" (this executable's own
// definition wins over the shared library's).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <lzo/lzo1x.h>

#include <cstring>
#include <string>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "memory_files.h"

extern "C" int lzo1x_999_compress(const lzo_bytep src, lzo_uint src_len, lzo_bytep dst, lzo_uintp dst_len,
                                  lzo_voidp wrkmem) {
  if (src_len >= 4 && std::memcmp(src, "FAIL", 4) == 0) return LZO_E_ERROR;
  using Compress = int (*)(const lzo_bytep, lzo_uint, lzo_bytep, lzo_uintp, lzo_voidp);
  static const auto real = reinterpret_cast<Compress>(dlsym(RTLD_NEXT, "lzo1x_999_compress"));
  return real(src, src_len, dst, dst_len, wrkmem);
}

namespace {

TEST(CompressionFailure, TheMemberIsLeftOutWithALineNamingIt) {
  for (unsigned workers : {1u, 2u}) {
    SCOPED_TRACE(std::to_string(workers) + " workers");
    base::CollectedDiagnostics diagnostics;
    test_support::MemoryFiles files;
    archive::ArchiveWriter writer(diagnostics, files, workers);
    ASSERT_TRUE(writer.OpenSpool("out/"));
    const std::string good = "good", bad = "FAIL to compress";
    writer.AddMember("A.DAT", reinterpret_cast<const uint8_t*>(good.data()), good.size());
    writer.AddMember("B\x1b[2J.DAT", std::vector<uint8_t>(bad.begin(), bad.end()));
    writer.AddMember("C.DAT", reinterpret_cast<const uint8_t*>(good.data()), good.size());
    archive::ArchiveHeader header{};
    ASSERT_TRUE(writer.FinishArchive("out/DAV299.AVD", header).written);
    EXPECT_EQ(diagnostics.Text(), "Warning : the member cannot be compressed; left out: B\\x1B[2J.DAT\n");
    const archive::ArchiveReader reader(*files.Find("out/DAV299.AVD"));
    ASSERT_TRUE(reader.Ok());
    ASSERT_EQ(reader.Entries().size(), 2u);
    EXPECT_EQ(reader.Entries()[0].name, "A.DAT");
    EXPECT_EQ(reader.Entries()[1].name, "C.DAT");
  }
}

}  // namespace
