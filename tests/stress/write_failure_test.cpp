// Files the converter cannot write or read, through the real executable: a
// file-size limit that makes the spool or the archive fail part-way, names
// taken by folders, game files that are dangling links or FIFOs. No run
// presents a truncated archive, destroys an earlier one, or hangs.
#include <lzo/lzo1x.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/lzo_worst_case.h"
#include "stress_support.h"

namespace {

namespace fs = std::filesystem;
using archive::ArchiveContents;
using stress::ConverterSetup;
using stress::PassLines;
using test_support::Hex;
using test_support::ReadFile;
using test_support::RunResult;
using test_support::TempDir;

const std::string kEarlierArchive = "good archive of an earlier run";

using test_support::Bytes;

size_t PackedSize(const std::vector<uint8_t>& data) {
  std::vector<uint8_t> packed(archive::LzoWorstCase(data.size())), work(LZO1X_999_MEM_COMPRESS);
  lzo_uint size = 0;
  EXPECT_EQ(lzo_init(), LZO_E_OK);
  EXPECT_EQ(lzo1x_999_compress(data.data(), data.size(), packed.data(), &size, work.data()), LZO_E_OK);
  return size;
}

// Nothing but the archive (when there is one) and the converter is left in
// its folder: no spool, no partly written archive.
void ExpectNoLeftovers(const ConverterSetup& setup) {
  EXPECT_FALSE(fs::exists(setup.SpoolPath()));
  EXPECT_FALSE(fs::exists(setup.ArchivePath() + ".part"));
}

TEST(WriteFailures, ASpoolThatFillsUpPartWayLeavesTheEarlierArchiveAlone) {
  ConverterSetup setup;
  TempDir game;
  setup.bin.Write("DAV299.AVD", kEarlierArchive);
  for (const char* name : {"A.BIN", "B.BIN", "C.BIN"})
    setup.bin.Write(std::string("DATA/") + name, stress::Noise(16384, name[0]));

  RunResult r = setup.Convert(game.Path(), 2, 40000);
  EXPECT_EQ(PassLines(r), "Error : cannot write the spool " + setup.SpoolPath() + "\n" +
                              "Error : the archive " + setup.ArchivePath() +
                              " was not written, since the spool is incomplete\n");
  EXPECT_EQ(ReadFile(setup.ArchivePath()), Bytes(kEarlierArchive));
  ExpectNoLeftovers(setup);
}

TEST(WriteFailures, AnArchiveThatDoesNotFitLeavesTheEarlierArchiveAlone) {
  ConverterSetup setup;
  TempDir game;
  setup.bin.Write("DAV299.AVD", kEarlierArchive);
  // Copied from the spool in three chunks of at most 1 MiB.
  const std::vector<uint8_t> noise = stress::Noise(2621440, 7);
  setup.bin.Write("DATA/NOISE.BIN", noise);
  // The spool fits; header, directory and data together do not: the last
  // chunk fails part-way.
  const rlim_t limit = PackedSize(noise) + 50;

  RunResult r = setup.Convert(game.Path(), 3, limit);
  EXPECT_EQ(PassLines(r), "Error : cannot write the archive " + setup.ArchivePath() + "\n");
  EXPECT_EQ(ReadFile(setup.ArchivePath()), Bytes(kEarlierArchive));
  ExpectNoLeftovers(setup);

  // With room enough, the same run replaces the earlier archive.
  r = setup.Convert(game.Path(), 3, limit + 46);
  EXPECT_EQ(PassLines(r), "");
  ArchiveContents a = setup.Archive();
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 1u);
  EXPECT_EQ(a.members[0].bytes, noise);
  ExpectNoLeftovers(setup);
}

TEST(WriteFailures, AnArchiveNameTakenByAFolderKeepsTheSpool) {
  ConverterSetup setup;
  TempDir game;
  setup.bin.Write("DAV299.AVD/inside", "kept");
  setup.bin.Write("DATA/X.BIN", "x");

  RunResult r = setup.Convert(game.Path(), 2);
  EXPECT_EQ(PassLines(r), "Error : cannot create the archive " + setup.ArchivePath() + ": Is a directory\n");
  EXPECT_EQ(ReadFile(fs::path(setup.ArchivePath()) / "inside"), Bytes("kept"));
  EXPECT_GT(fs::file_size(setup.SpoolPath()), 0u);
  EXPECT_FALSE(fs::exists(setup.ArchivePath() + ".part"));
}

TEST(WriteFailures, ASpoolNameTakenByAFolderEndsTheRunBeforeConverting) {
  ConverterSetup setup;
  TempDir game;
  setup.bin.Write("DAV299.AVD", kEarlierArchive);
  fs::create_directory(setup.SpoolPath());

  RunResult r = setup.Convert(game.Path(), 2);
  EXPECT_NE(r.output.find(std::string(driver::text::kSpoolFailed) + std::string(driver::text::kPressAKey)),
            std::string::npos);
  EXPECT_EQ(r.output.find(driver::text::kConverting), std::string::npos);
  EXPECT_EQ(ReadFile(setup.ArchivePath()), Bytes(kEarlierArchive));
}

// A game with one readable file of each kind, and `odd` standing in for one
// more file of each kind.
template <typename MakeOdd>
ArchiveContents ConvertWithOddFiles(ConverterSetup& setup, MakeOdd odd, RunResult& r,
                                    rlim_t addressSpaceLimit = RLIM_INFINITY) {
  TempDir game;
  game.Write("MES/PROLOGUE.SIO", Hex("0B 0001 000007"));
  game.Write("CG/SMALL.MOE", Hex(stress::kSmallPicture));
  setup.bin.Write("DATA/REAL.BIN", "real");
  odd(game.Path() / "MES" / "ODD.SIO");
  odd(game.Path() / "ODD.MOE");
  odd(game.Path() / "CG" / "ODD.MOE");
  odd(setup.Folder() / "DATA" / "ODD.BIN");
  r = setup.Convert(game.Path(), 2, RLIM_INFINITY, addressSpaceLimit);
  return setup.Archive();
}

void ExpectOnlyTheReadableFiles(const ArchiveContents& a) {
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 3u);
  EXPECT_EQ(a.members[0].name, "REAL.BIN");
  EXPECT_EQ(a.members[1].name, "SEEN001.TXT");  // the odd scenario took number 2
  EXPECT_EQ(a.members[2].name, "SMALL.PDT");
}

TEST(UnreadableGameFiles, DanglingLinksAreLeftOutSilently) {
  ConverterSetup setup;
  RunResult r;
  ArchiveContents a = ConvertWithOddFiles(
      setup, [](const fs::path& p) { fs::create_symlink(p.parent_path() / "missing", p); }, r);
  EXPECT_EQ(PassLines(r), "");
  ExpectOnlyTheReadableFiles(a);
  ExpectNoLeftovers(setup);
}

// One policy for every kind: a file that cannot be held in memory is left
// out after the one line (which has no line end).
TEST(UnreadableGameFiles, FilesTooLargeToHoldAreLeftOutWithTheSameLineWhateverTheirKind) {
#ifdef AVD_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve more address space than any limit would leave";
#else
  ConverterSetup setup;
  RunResult r;
  // 4 GiB files without a byte on the disk, in 1 GiB of address space.
  ArchiveContents a = ConvertWithOddFiles(
      setup, [](const fs::path& p) { std::ofstream(p).close(), fs::resize_file(p, uint64_t{4} << 30); }, r,
      rlim_t{1} << 30);
  // The summary runs on in the last line, and counts one of each and the four lines.
  EXPECT_EQ(PassLines(r),
            "Warning : scenario file longer than 65536 bytes, skipped: ODD.SIO\n"
            "Could not allocate memory.Could not allocate memory.Could not allocate memory."
            "Converted: 1 scenario, 1 picture, 1 data file; 4 warnings; " +
                setup.ArchivePath() + " (0.0 MiB)\n");
  ExpectOnlyTheReadableFiles(a);
  ExpectNoLeftovers(setup);
#endif
}

TEST(UnreadableGameFiles, FifosAreLeftOutWithoutWaitingForAWriter) {
  ConverterSetup setup;
  RunResult r;
  ArchiveContents a = ConvertWithOddFiles(
      setup, [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, r);
  EXPECT_EQ(PassLines(r), "");
  ExpectOnlyTheReadableFiles(a);
  ExpectNoLeftovers(setup);
}

}  // namespace
