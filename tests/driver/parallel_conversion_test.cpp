// A whole game whose passes and writer print many lines, converted in-process
// as the driver does it with several workers: the console and the archive
// must be byte for byte those of a run with one worker.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "driver/driver.h"
#include "memory_files.h"
#include "moe_builder.h"
#include "test_support.h"
#include "base/diagnostics.h"

namespace {

using test_support::Hex;
using test_support::TempDir;

// Scenarios that translate cleanly, report jumps into an instruction, or are
// too long; `pictures` pictures, of which those `tooLarge` picks cannot be
// decoded, and a few data files.
template <typename TooLarge>
void WriteNoisyGame(const TempDir& game, const TempDir& bin, int pictures, TooLarge tooLarge) {
  for (int i = 0; i < 40; ++i) {
    const std::string name = base::Format("MES/S%02d.SIO", i);
    if (i % 10 == 3) {
      game.Write(name, std::vector<uint8_t>(70000, 0x12));
    } else if (i % 3 == 0) {
      game.Write(name, Hex("01 0001 01 0004 FF"));
    } else {
      game.Write(name, Hex("0B 0001 000002"));
    }
  }
  game.Write("MES/PROLOGUE.SIO", Hex("01 0002 FF"));
  for (int i = 0; i < pictures; ++i) {
    game.Write(base::Format("P%04d.MOE", i),
               Hex(tooLarge(i) ? "FFFF FFFF 7F 00FF00" : moe_test::kWorkedRunLengthFile));
  }
  for (int i = 0; i < 5; ++i) bin.Write(base::Format("DATA/D%d.BIN", i), std::string(100 + i, 'd'));
}

struct Outcome {
  std::string console;
  std::vector<uint8_t> archive;
};

// As driver::Run converts, with a console that keeps what it is given and the
// writer's files in memory, the spool taking at most `spoolLimit` bytes.
Outcome Convert(const TempDir& game, const TempDir& bin, unsigned workers, uint64_t spoolLimit = UINT64_MAX) {
  test_support::CapturedConsole out;
  test_support::MemoryFiles files(spoolLimit);
  {
    archive::ArchiveWriter writer(out.Diag(), files, workers);
    EXPECT_TRUE(writer.OpenSpool(bin.Folder()));
    driver::ConvertGame({game.Folder(), bin.Folder() + "DATA/"}, {out.Console(), writer.OrderedDiagnostics(), writer});
    archive::ArchiveHeader header = archive::MakeHeader();
    for (const std::string& error : writer.FinishArchive(bin.Folder() + "DAV299.AVD", header).errors) {
      out.Console().Print(error);
    }
  }
  const std::vector<uint8_t>* archive = files.Find(bin.Folder() + "DAV299.AVD");
  return {out.Text(), archive ? *archive : std::vector<uint8_t>{}};
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

void ExpectLikeOneWorker(const Outcome& one, const TempDir& game, const TempDir& bin,
                         uint64_t spoolLimit = UINT64_MAX) {
  for (unsigned workers : {2u, 3u, 8u}) {
    const Outcome many = Convert(game, bin, workers, spoolLimit);
    EXPECT_EQ(many.console, one.console) << workers << " workers";
    EXPECT_TRUE(many.archive == one.archive) << workers << " workers: the archives differ";
  }
}

TEST(ParallelConversion, PassLinesAndDirectoryWarningsKeepTheirPlacesWhateverTheNumberOfWorkers) {
  // More pictures than the directory holds; some cannot be decoded, among
  // them some of the last, beyond the directory.
  TempDir game, bin;
  WriteNoisyGame(game, bin, 4100, [](int i) { return i % 150 == 7 || (i >= 4090 && i % 2 == 1); });
  const Outcome one = Convert(game, bin, 1);
  // Lines of every kind are there to be ordered.
  EXPECT_EQ(Count(one.console, "Jump point"), 25u);
  EXPECT_EQ(Count(one.console, "Warning : scenario file longer than 65536 bytes"), 4u);
  EXPECT_EQ(Count(one.console, "Warning : picture too large"), 33u);
  EXPECT_EQ(Count(one.console, "Warning : the archive holds at most 4096 members"), 13u);
  ASSERT_GT(one.archive.size(), archive::kHeaderSize);
  EXPECT_EQ(base::GetU16(one.archive.data() + archive::kCountOffset), 4096u);
  ExpectLikeOneWorker(one, game, bin);
}

TEST(ParallelConversion, ASpoolErrorFoundByAWorkerComesBeforeThePassesNextLine) {
  // Every other picture cannot be decoded: whichever member the spool fails
  // on, a pass line follows it at once, before the next member.
  TempDir game, bin;
  WriteNoisyGame(game, bin, 600, [](int i) { return i % 2 == 1; });
  const Outcome whole = Convert(game, bin, 1);
  const size_t members = base::GetU16(whole.archive.data() + archive::kCountOffset);
  const uint64_t spoolSize = whole.archive.size() - archive::kHeaderSize - archive::kEntrySize * members;
  for (uint64_t limit : {spoolSize / 3, spoolSize / 2, spoolSize - 1}) {
    const Outcome one = Convert(game, bin, 1, limit);
    const size_t error = one.console.find("Error : cannot write the spool ");
    ASSERT_NE(error, std::string::npos);
    EXPECT_TRUE(one.archive.empty());
    ExpectLikeOneWorker(one, game, bin, limit);
  }
}

}  // namespace
