// Game folders beyond every limit of the data model, converted by the real
// executable: each run ends with a valid archive and the warning lines, in
// bounded time and memory.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "base/diagnostics.h"
#include "stress_support.h"

namespace {

using archive::ArchiveContents;
using stress::ConverterSetup;
using stress::CountLines;
using stress::PassLines;
using test_support::Hex;
using test_support::RunResult;
using test_support::TempDir;

// The code of a translated scenario, behind its 99-byte header.
std::vector<uint8_t> Code(const ArchiveContents::Member& m) {
  return m.bytes.size() < 99 ? std::vector<uint8_t>{}
                             : std::vector<uint8_t>(m.bytes.begin() + 99, m.bytes.end());
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(BeyondTheLimits, PicturesBeyondTheDirectoryAreLeftOutWithAWarningEach) {
  ConverterSetup setup;
  TempDir game;
  constexpr int kPictures = 4100;
  for (int i = 0; i < kPictures; ++i) game.Write(base::Format("P%04d.MOE", i), Hex(stress::kSmallPicture));

  RunResult r = setup.Convert(game.Path(), 5);
  const std::string lines = PassLines(r);
  const std::string warning = "Warning : the archive holds at most 4096 members; left out: ";
  EXPECT_EQ(CountLines(lines, warning), 4u) << lines;
  EXPECT_EQ(CountLines(lines, ""), 4u);

  ArchiveContents a = setup.Archive();
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 4096u);
  std::set<std::string> stored;
  for (const auto& m : a.members) {
    ASSERT_EQ(m.bytes, Hex(stress::kSmallPictureMember)) << m.name;
    stored.insert(m.name);
  }
  EXPECT_EQ(stored.size(), 4096u);
  // Every picture is either stored or named in a warning.
  for (int i = 0; i < kPictures; ++i) {
    const std::string name = base::Format("P%04d.PDT", i);
    EXPECT_NE(stored.count(name) == 1, lines.find(warning + name + "\n") != std::string::npos) << name;
  }
}

TEST(BeyondTheLimits, ScenariosBeyond999AreLeftOutWithAWarningEachAndThePrologueStaysFirst) {
  ConverterSetup setup;
  TempDir game;
  for (int i = 0; i < 1001; ++i) game.Write(base::Format("MES/S%04d.SIO", i), Hex("0B 0001 000002"));
  game.Write("MES/PROLOGUE.SIO", Hex("0B 0001 000007"));

  RunResult r = setup.Convert(game.Path(), 3);
  const std::string lines = PassLines(r);
  EXPECT_EQ(CountLines(lines, "Warning : more than 999 scenario files, left out: S"), 3u) << lines;
  EXPECT_EQ(CountLines(lines, ""), 3u);

  ArchiveContents a = setup.Archive();
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 999u);
  for (int n = 1; n <= 999; ++n) ASSERT_EQ(a.members[n - 1].name, base::Format("SEEN%03d.TXT", n));
  EXPECT_EQ(Code(a.members[0]), Hex("3B 11 17"));
  EXPECT_EQ(Code(a.members[998]), Hex("3B 11 12"));
}

TEST(BeyondTheLimits, AScenarioOver65536BytesIsSkippedWithAWarningAndOneOfExactlyThatSizeIsTranslated) {
  ConverterSetup setup;
  TempDir game;
  game.Write("MES/BIG.SIO", std::vector<uint8_t>(8 << 20, 0x12));
  // A jump to the last byte, then bytes without a handler up to 65,536.
  std::vector<uint8_t> full = Hex("01 FFFF");
  full.resize(65536, 0);
  game.Write("MES/FULL.SIO", full);

  RunResult r = setup.Convert(game.Path(), 2);
  EXPECT_EQ(PassLines(r), "Warning : scenario file longer than 65536 bytes, skipped: BIG.SIO\n");
  ArchiveContents a = setup.Archive();
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 1u);
  // The last byte's translation begins right behind the jump.
  EXPECT_EQ(Code(a.members[0]), Hex("1C 05000000"));
}

TEST(BeyondTheLimits, PicturesDeclaring65535By65535AreRefusedWithoutAHugeAllocation) {
  ConverterSetup setup;
  TempDir game;
  game.Write("HUGE.MOE", Hex("FFFF FFFF 7F 00FF00"));
  game.Write("CG/HUGEP.MOE", Hex("4D4D441A FFFF FFFF 00000000 00000000 00000000 00000000 FF"));
  // 65,535 pixels wide is within bounds: a row this wide decodes (here to
  // nothing, since the file holds no data).
  game.Write("CG/WIDE.MOE", Hex("4D4D441A FFFF 0200 00000000 00000000 00000000 00000000"));
  game.Write("CG/SMALL.MOE", Hex(stress::kSmallPicture));

  RunResult r = setup.Convert(game.Path(), 2);
  const std::string root = std::filesystem::canonical(game.Path()).string() + "/";
  EXPECT_EQ(PassLines(r), "Warning : picture too large, left out: " + root + "HUGE.MOE\n" +
                              "Warning : picture too large, left out: " + root + "CG/HUGEP.MOE\n");
  ArchiveContents a = setup.Archive();
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 2u);
  EXPECT_EQ(a.members[0].name, "SMALL.PDT");
  EXPECT_EQ(a.members[1].name, "WIDE.PDT");
  const std::vector<uint8_t>& wide = a.members[1].bytes;
  ASSERT_EQ(wide.size(), 32u + 2 * 32767);
  EXPECT_EQ(base::GetU32(wide.data() + 12), 65535u);
  EXPECT_EQ(base::GetU32(wide.data() + 28), 0u);
}

TEST(BeyondTheLimits, TextMessagesOf10000BytesAreTranslatedWhole) {
  ConverterSetup setup;
  TempDir game;
  const std::vector<uint8_t> a = Hex("82A0"), arrow = Hex("81A8"), stars = Hex("8196 824F 8250");
  const std::vector<uint8_t> openName = Hex("8179"), closeName = Hex("817A");
  const std::vector<uint8_t> shownOpen = Hex("816B"), shownClose = Hex("816C");
  const std::vector<uint8_t> quote = Hex("8175 82A2 8176");
  const std::vector<uint8_t> narration = Concat({stress::Repeat(a, 4999), arrow});
  const std::vector<uint8_t> name = Concat({openName, stress::Repeat(a, 4998), closeName});
  ASSERT_EQ(narration.size(), 10000u);
  ASSERT_EQ(name.size(), 10000u);
  // A narration, a name held back across the music stop, then its quote.
  game.Write("MES/PROLOGUE.SIO",
             Concat({Hex("F0"), narration, Hex("00 F0"), name, Hex("00 12 F0"), quote, Hex("00")}));

  RunResult r = setup.Convert(game.Path(), 2);
  EXPECT_EQ(PassLines(r), "");
  ArchiveContents archive = setup.Archive();
  ASSERT_TRUE(archive.valid);
  ASSERT_EQ(archive.members.size(), 1u);
  const std::vector<uint8_t> shownName = Concat({shownOpen, stress::Repeat(a, 4998), shownClose});
  EXPECT_EQ(Code(archive.members[0]),
            Concat({Hex("FF"), stress::Repeat(a, 4999), stars, Hex("00 01 0E 10 24 06 FF"), shownName,
                    Hex("00 02 01 FF"), quote, Hex("00 01")}));
}

TEST(BeyondTheLimits, ThousandsOfJumpsAreEachResolvedOrReported) {
  ConverterSetup setup;
  TempDir game;
  // Jump i (3 bytes at 3i) goes to jump (i * 7919) mod N; every jump's
  // translation is 5 bytes, so that lies at code offset 5 × that number.
  constexpr uint32_t kJumps = 6000, kUnresolved = 2000, kGroups = 1500;
  std::vector<uint8_t> source;
  auto word = [&](uint32_t w) {
    source.push_back(static_cast<uint8_t>(w >> 8));
    source.push_back(static_cast<uint8_t>(w));
  };
  for (uint32_t i = 0; i < kJumps; ++i) {
    source.push_back(0x01);
    word(3 * ((i * 7919) % kJumps));
  }
  // Jumps to an operand byte of the first jumps: reported, slot 0.
  for (uint32_t j = 0; j < kUnresolved; ++j) {
    source.push_back(0x01);
    word(3 * j + 1);
  }
  // A multi-way jump of many groups, each to jump 1 (code offset 5).
  source.push_back(0xD0);
  word(1);
  for (uint32_t g = 0; g < kGroups; ++g) {
    word(3);
    source.push_back(0);
    word(g);
  }
  source.push_back(0xFF);
  game.Write("MES/PROLOGUE.SIO", source);

  RunResult r = setup.Convert(game.Path(), 2);
  std::string expectedLines;
  for (uint32_t j = 0; j < kUnresolved; ++j) {
    char line[80];
    std::snprintf(line, sizeof line, "******************* Jump point (0x%04x) not found!!!!!\n", 3 * j + 1);
    expectedLines += line;
  }
  EXPECT_EQ(PassLines(r), expectedLines);

  ArchiveContents a = setup.Archive();
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 1u);
  const std::vector<uint8_t> code = Code(a.members[0]);
  ASSERT_GT(code.size(), 5u * (kJumps + kUnresolved));
  for (uint32_t i = 0; i < kJumps + kUnresolved; ++i) {
    ASSERT_EQ(code[5 * i], 0x1C);
    const uint32_t expected = i < kJumps ? 5 * ((i * 7919) % kJumps) : 0;
    ASSERT_EQ(base::GetU32(&code[5 * i + 1]), expected) << "jump " << i;
  }
  // Each group ends in its slot: 41, then the code offset 5.
  size_t groups = 0;
  for (size_t at = 5 * (kJumps + kUnresolved); at + 5 <= code.size(); ++at) {
    if (code[at] == 41 && base::GetU32(&code[at + 1]) == 5) ++groups;
  }
  EXPECT_EQ(groups, kGroups);
}

TEST(BeyondTheLimits, PathsFarBeyond260BytesAreConvertedWhole) {
  std::filesystem::path deep;
  for (int i = 0; i < 12; ++i) deep /= "a-folder-name-of-thirty-bytes-" + std::to_string(i);
  ConverterSetup setup(deep);
  const std::string longName(200, 'd');
  setup.bin.Write((deep / "DATA" / longName).string(), "data");
  TempDir game;
  const std::filesystem::path gameFolder = game.Path() / deep / "game";
  const std::string pictureName = std::string(251, 'q') + ".MOE";
  game.Write((deep / "game/MES/PROLOGUE.SIO").string(), Hex("0B 0001 000007"));
  game.Write((deep / "game/CG" / pictureName).string(), Hex(stress::kSmallPicture));
  ASSERT_GT(std::filesystem::canonical(gameFolder / "CG" / pictureName).string().size(), 600u);
  ASSERT_GT(setup.Folder().string().size(), 380u);

  RunResult r = setup.Convert(gameFolder, 2);
  // The only lines name the stored forms of the two long names.
  const std::string lines = PassLines(r);
  EXPECT_NE(lines.find("/DATA/" + longName + " is longer than 15 bytes; stored as DDDDDDDDDDDDDDD\n"),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("/CG/" + pictureName + " is longer than 15 bytes; stored as QQQQQQQQQQQQQQQ\n"),
            std::string::npos)
      << lines;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2);
  ArchiveContents a = setup.Archive();
  ASSERT_TRUE(a.valid);
  ASSERT_EQ(a.members.size(), 3u);
  EXPECT_EQ(a.members[0].name, "DDDDDDDDDDDDDDD");
  EXPECT_EQ(a.members[1].name, "QQQQQQQQQQQQQQQ");
  EXPECT_EQ(a.members[1].bytes, Hex(stress::kSmallPictureMember));
  EXPECT_EQ(a.members[2].name, "SEEN001.TXT");
}

}  // namespace
