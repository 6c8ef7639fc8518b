// A whole game whose passes and writer print many lines, converted in-process
// as the driver does it with several workers: the console and the archive
// must be byte for byte those of a run with one worker.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "driver/driver.h"
#include "moe_builder.h"
#include "platform/output_file.h"
#include "test_support.h"

namespace {

using test_support::Hex;
using test_support::TempDir;

const platform::DiskFileStore kDisk{};

std::string Numbered(const char* format, int n) {
  char name[32];
  std::snprintf(name, sizeof name, format, n);
  return name;
}

// Scenarios that translate cleanly, report a jump into an instruction, or
// are too long; more pictures than the directory holds, some too large to
// decode, the last ones among them beyond the directory; data files beyond
// it too.
void WriteNoisyGame(const TempDir& game, const TempDir& bin) {
  for (int i = 0; i < 40; ++i) {
    const std::string name = Numbered("MES/S%02d.SIO", i);
    if (i % 10 == 3) {
      game.Write(name, std::vector<uint8_t>(70000, 0x12));
    } else if (i % 3 == 0) {
      game.Write(name, Hex("01 0001 01 0004 FF"));
    } else {
      game.Write(name, Hex("0B 0001 000002"));
    }
  }
  game.Write("MES/PROLOGUE.SIO", Hex("01 0002 FF"));
  for (int i = 0; i < 4100; ++i) {
    const bool tooLarge = i % 150 == 7 || i >= 4090;
    game.Write(Numbered("P%04d.MOE", i),
               Hex(tooLarge && i % 2 == 1 ? "FFFF FFFF 7F 00FF00" : moe_test::kWorkedRunLengthFile));
  }
  for (int i = 0; i < 5; ++i) bin.Write(Numbered("DATA/D%d.BIN", i), std::string(100 + i, 'd'));
}

struct Outcome {
  std::string console;
  std::vector<uint8_t> archive;
};

// As driver::Run converts, with a console that keeps what it is given.
Outcome Convert(const TempDir& game, const TempDir& bin, unsigned workers) {
  test_support::CapturedConsole out;
  {
    archive::ArchiveWriter writer(out.Diag(), kDisk, workers);
    EXPECT_TRUE(writer.OpenSpool(bin.Folder()));
    driver::ConvertGame(game.Folder(), bin.Folder(), {out.Console(), writer.OrderedDiagnostics(), writer});
    archive::ArchiveHeader header = driver::PrepareArchiveHeader();
    for (const std::string& error : writer.FinishArchive(bin.Folder() + "DAV299.AVD", header).errors) {
      out.Console().Print(error);
    }
  }
  return {out.Text(), test_support::ReadFile(bin.Path() / "DAV299.AVD")};
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(ParallelConversion, EveryLineKeepsItsPlaceWhateverTheNumberOfWorkers) {
  TempDir game, bin;
  WriteNoisyGame(game, bin);
  const Outcome one = Convert(game, bin, 1);
  // Lines of every kind are there to be ordered.
  EXPECT_EQ(Count(one.console, "Jump point"), 25u);
  EXPECT_EQ(Count(one.console, "Warning : scenario file longer than 65536 bytes"), 4u);
  EXPECT_EQ(Count(one.console, "Warning : picture too large"), 33u);
  EXPECT_GT(Count(one.console, "Warning : the archive holds at most 4096 members"), 5u);
  EXPECT_EQ(archive::GetU16(one.archive.data() + archive::kCountOffset), 4096u);

  for (unsigned workers : {2u, 3u, 8u}) {
    const Outcome many = Convert(game, bin, workers);
    EXPECT_EQ(many.console, one.console) << workers << " workers";
    EXPECT_TRUE(many.archive == one.archive) << workers << " workers: the archives differ";
  }
}

}  // namespace
