#include "driver/game_data.h"

#include <gtest/gtest.h>

#include "driver/summary.h"
#include "test_support.h"

namespace {

using test_support::TempDir;

TEST(HoldsGameData, AScenarioInMesOrAPictureInAnyPictureFolder) {
  struct Case {
    const char* file;
    bool holds;
  };
  for (const Case& c :
       {Case{"MES/PROLOGUE.SIO", true}, Case{"mes/a.sio", true}, Case{"Mes/x.Sio", true},
        Case{"BG001.MOE", true}, Case{"bg001.moe", true}, Case{"CG/A.MOE", true}, Case{"cg/a.moe", true},
        Case{"TACHI/B.MOE", true}, Case{"Opening/c.moe", true}, Case{"MES/readme.txt", false},
        Case{"PROLOGUE.SIO", false}, Case{"OTHER/A.MOE", false}, Case{"MES/SUB/A.SIO", false},
        Case{"CG/SUB/A.MOE", false}, Case{"A.MOE.bak", false}}) {
    TempDir dir;
    dir.Write(c.file, "x");
    EXPECT_EQ(driver::HoldsGameData(dir.Folder()), c.holds) << c.file;
    EXPECT_EQ(driver::HoldsGameData(dir.Path().string()), c.holds) << c.file << " without the separator";
  }
}

TEST(HoldsGameData, FoldersNamedLikeGameFilesAndEmptyFoldersDoNotCount) {
  TempDir dir;
  EXPECT_FALSE(driver::HoldsGameData(dir.Folder()));
  std::filesystem::create_directories(dir.Path() / "MES" / "A.SIO");
  std::filesystem::create_directories(dir.Path() / "B.MOE");
  dir.Write("DATA/font.bin", "f");
  EXPECT_FALSE(driver::HoldsGameData(dir.Folder()));
  EXPECT_FALSE(driver::HoldsGameData(dir.Folder() + "missing/"));
  EXPECT_FALSE(driver::HoldsGameData(""));
}

TEST(SummaryLine, CountsPathAndTheSizeInMiBToOneDecimal) {
  driver::ConversionCounts counts{120, 600, 3};
  EXPECT_EQ(driver::SummaryLine(counts, 2, "out/DAV299.AVD", 6450244).Sjis(),
            "Converted: 120 scenarios, 600 pictures, 3 data files; 2 warnings; out/DAV299.AVD (6.2 MiB)\n");
  // One of each is singular, none plural; a control byte in the path is escaped.
  EXPECT_EQ(
      driver::SummaryLine({1, 1, 1}, 1, "out\x1b]0;x\a/DAV299.AVD", 0).Sjis(),
      "Converted: 1 scenario, 1 picture, 1 data file; 1 warning; out\\x1B]0;x\\x07/DAV299.AVD (0.0 MiB)\n");
  EXPECT_EQ(driver::SummaryLine({}, 0, "A", 0).Sjis(),
            "Converted: 0 scenarios, 0 pictures, 0 data files; 0 warnings; A (0.0 MiB)\n");
  auto size = [&](uint64_t bytes) {
    std::string line = driver::SummaryLine({}, 0, "A", bytes).Sjis();
    return line.substr(line.find('(') + 1);
  };
  EXPECT_EQ(size(0), "0.0 MiB)\n");
  EXPECT_EQ(size(64), "0.0 MiB)\n");
  EXPECT_EQ(size(52428), "0.0 MiB)\n");  // just under 0.05 MiB
  EXPECT_EQ(size(52429), "0.1 MiB)\n");
  EXPECT_EQ(size(1048576), "1.0 MiB)\n");
  EXPECT_EQ(size(10433331), "9.9 MiB)\n");
  EXPECT_EQ(size(10433332), "10.0 MiB)\n");  // rounding carries into the whole MiB
  EXPECT_EQ(size(uint64_t{5} << 40), "5242880.0 MiB)\n");
}

TEST(CountingDiagnostics, CountsEveryLineAndPassesItOn) {
  base::CollectedDiagnostics collected;
  driver::CountingDiagnostics counting(collected);
  counting.Line("Warning : one\n");
  counting.Report("Error : %s\n", "two");
  EXPECT_EQ(counting.Count(), 2u);
  EXPECT_EQ(collected.Text(), "Warning : one\nError : two\n");
}

}  // namespace
