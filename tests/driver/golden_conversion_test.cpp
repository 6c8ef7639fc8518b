// The archive of a whole bench-size game, compared with the one the
// converter has always written for it: any change of a byte anywhere in the
// passes, the converters or the writer shows here.
#include <gtest/gtest.h>

#include "archive/archive_writer.h"
#include "driver/driver.h"
#include "platform/output_file.h"
#include "test_support.h"
#include "tools/sample_game.h"

namespace {

const platform::DiskFileStore kDisk{};

using test_support::TempDir;

// 64-bit FNV-1a.
uint64_t Fingerprint(const std::vector<uint8_t>& bytes) {
  uint64_t h = 0xcbf29ce484222325;
  for (uint8_t b : bytes) h = (h ^ b) * 0x100000001b3;
  return h;
}

struct Golden {
  double benchScale;  // 0: the small sample
  size_t size;
  uint64_t fingerprint;
};

void ExpectGolden(const Golden& golden) {
  TempDir bin, game;
  tools::SampleOptions options;
  options.benchScale = golden.benchScale;
  tools::SampleReport report;
  std::string error;
  ASSERT_TRUE(tools::WriteSampleGame(game.Path(), bin.Path() / "DATA", options, report, error)) << error;

  test_support::CapturedConsole out;
  archive::ArchiveWriter writer(out.Diag(), kDisk);
  ASSERT_TRUE(writer.OpenSpool(bin.Folder()));
  driver::ConvertGame({game.Folder(), bin.Folder() + "DATA/"}, {out.Console(), out.Diag(), writer});
  archive::ArchiveHeader header = driver::PrepareArchiveHeader();
  EXPECT_TRUE(writer.FinishArchive(bin.Folder() + "DAV299.AVD", header).errors.empty());
  EXPECT_EQ(out.Text(), "");

  const std::vector<uint8_t> archive = test_support::ReadFile(bin.Path() / "DAV299.AVD");
  EXPECT_EQ(archive.size(), golden.size);
  EXPECT_EQ(Fingerprint(archive), golden.fingerprint);
}

TEST(GoldenConversion, TheSmallSampleGivesItsKnownArchive) { ExpectGolden({0, 232667, 0xf977bca54a1d0089}); }

TEST(GoldenConversion, AQuarterOfTheBenchSampleGivesItsKnownArchive) {
  ExpectGolden({0.25, 1650376, 0xdf33596cb846ee4b});
}

#ifndef AVD_SANITIZED  // eight seconds here, minutes under the sanitizers
TEST(GoldenConversion, TheWholeBenchSampleGivesItsKnownArchive) {
  ExpectGolden({1, 6450244, 0xbf22867c85b5512e});
}
#endif

}  // namespace
