// The archive of a whole bench-size game, compared with the one the
// converter has always written for it: any change of a byte anywhere in the
// passes, the converters or the writer shows here. Beside the fingerprint of
// the whole archive, a table per game in golden/ lists every member (name,
// unpacked size, fingerprint of the unpacked bytes), so a failure names the
// members that changed. After a change meant to alter the archives, run the
// tests with AVD_WRITE_GOLDEN_TABLES=1 to write the tables anew (and update
// the whole-archive fingerprints by hand).
//
// Scenario numbers and the data area follow the order in which the file
// system lists a folder, which differs between file systems (and between two
// ext4 volumes). The known archives were made with every folder listed in
// byte order of the names, and the passes are handed that order here.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "base/printable.h"
#include "driver/driver.h"
#include "platform/output_file.h"
#include "sample/sample_game.h"
#include "test_support.h"

namespace {

const platform::DiskFileStore kDisk{};

using test_support::TempDir;

std::vector<platform::FoundName> ListInNameOrder(const std::string& pattern) {
  std::vector<platform::FoundName> names = driver::ListMatchingNames(pattern);
  std::sort(names.begin(), names.end(),
            [](const platform::FoundName& a, const platform::FoundName& b) { return a.file < b.file; });
  return names;
}

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
  const char* table;  // in golden/
};

constexpr Golden kSmallSample{0, 232667, 0x9b5e013844cbe46f, "small-sample.txt"};
constexpr Golden kQuarterBench{0.25, 1650378, 0xd4e6c71cee8b9602, "quarter-bench.txt"};

// One line per member in directory order: "NAME SIZE FINGERPRINT", the name
// with its bytes outside printable ASCII escaped.
std::vector<std::string> MemberTable(const archive::ArchiveContents& contents) {
  std::vector<std::string> lines;
  for (const archive::ArchiveContents::Member& m : contents.members) {
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, " %zu %016llx", m.bytes.size(),
                  static_cast<unsigned long long>(Fingerprint(m.bytes)));
    lines.push_back(base::Printable(m.name, base::TextEncoding::kAscii) + numbers);
  }
  return lines;
}

// The lines of either table that the other lacks: a changed member shows as
// "was:" and "now:" with its name.
std::string TableDifferences(const std::vector<std::string>& known, const std::vector<std::string>& now) {
  std::string report;
  for (const std::string& line : known) {
    if (std::find(now.begin(), now.end(), line) == now.end()) report += "was: " + line + "\n";
  }
  for (const std::string& line : now) {
    if (std::find(known.begin(), known.end(), line) == known.end()) report += "now: " + line + "\n";
  }
  return report;
}

void ExpectKnownMembers(const Golden& golden, const archive::ArchiveContents& contents) {
  const std::string path = std::string(AVD_GOLDEN_DIR) + "/" + golden.table;
  const std::vector<std::string> now = MemberTable(contents);
  if (std::getenv("AVD_WRITE_GOLDEN_TABLES")) {
    std::ofstream out(path);
    for (const std::string& line : now) out << line << "\n";
    return;
  }
  std::ifstream in(path);
  ASSERT_TRUE(in) << "no table " << path;
  std::vector<std::string> known;
  for (std::string line; std::getline(in, line);) known.push_back(line);
  EXPECT_EQ(TableDifferences(known, now), "") << "members that differ from " << path;
}

// `workers`: the writer's compression threads, 0 for one per processor.
void ExpectGolden(const Golden& golden, unsigned workers = 0) {
  SCOPED_TRACE(std::to_string(workers) + " workers");
  TempDir bin, game;
  tools::SampleOptions options;
  options.benchScale = golden.benchScale;
  tools::SampleReport report;
  std::string error;
  ASSERT_TRUE(tools::WriteSampleGame(game.Path(), bin.Path() / "DATA", options, report, error)) << error;

  test_support::CapturedConsole out;
  archive::ArchiveWriter writer(out.Diag(), kDisk, workers);
  ASSERT_TRUE(writer.OpenSpool(bin.Folder()));
  driver::ConvertGame({game.Folder(), bin.Folder() + "DATA/"},
                      {out.Console(), writer.OrderedDiagnostics(), writer, ListInNameOrder});
  archive::ArchiveHeader header = archive::MakeHeader();
  EXPECT_TRUE(writer.FinishArchive(bin.Folder() + "DAV299.AVD", header).errors.empty());
  EXPECT_EQ(out.Text(), "");

  const std::vector<uint8_t> archive = test_support::ReadFile(bin.Path() / "DAV299.AVD");
  const archive::ArchiveContents contents(archive);
  ASSERT_TRUE(contents.valid);
  ExpectKnownMembers(golden, contents);
  EXPECT_EQ(archive.size(), golden.size);
  EXPECT_EQ(Fingerprint(archive), golden.fingerprint);
}

TEST(GoldenConversion, TheSmallSampleGivesItsKnownArchive) { ExpectGolden(kSmallSample); }

TEST(GoldenConversion, AQuarterOfTheBenchSampleGivesItsKnownArchive) { ExpectGolden(kQuarterBench); }

TEST(GoldenConversion, AnyNumberOfWorkersGivesTheSameArchive) {
#ifdef AVD_SANITIZED  // the counts the other runs do not cover, on the small sample alone
  for (unsigned workers : {3u, 8u}) ExpectGolden(kSmallSample, workers);
#else
  for (unsigned workers : {1u, 2u, 3u, 8u}) ExpectGolden(kSmallSample, workers);
  for (unsigned workers : {1u, 8u}) ExpectGolden(kQuarterBench, workers);
#endif
}

#ifndef AVD_SANITIZED  // eight seconds here, minutes under the sanitizers
TEST(GoldenConversion, TheWholeBenchSampleGivesItsKnownArchive) {
  ExpectGolden({1, 6450247, 0x7186eb210f73fa8d, "whole-bench.txt"});
}
#endif

}  // namespace
