#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audit/verify.h"
#include "avdtool_support.h"

namespace {

using namespace avdtool_test;

std::string Report(const std::vector<uint8_t>& file) {
  return audit::VerificationReport(audit::Verify(file));
}

// Verification finds problems, one of them a line that begins with `start`
// and holds `detail`; the report closes with their number.
void ExpectProblem(const std::vector<uint8_t>& file, const std::string& start,
                   const std::string& detail = "") {
  const audit::Verification v = audit::Verify(file);
  ASSERT_FALSE(v.problems.empty()) << "no problem found; expected " << start << "..." << detail;
  const bool found = std::any_of(v.problems.begin(), v.problems.end(), [&](const std::string& p) {
    return p.starts_with(start) && p.find(detail) != std::string::npos;
  });
  EXPECT_TRUE(found) << "expected " << start << "..." << detail << "\nin\n" << audit::VerificationReport(v);
  const size_t n = v.problems.size();
  EXPECT_TRUE(
      audit::VerificationReport(v).ends_with(std::to_string(n) + (n == 1 ? " problem\n" : " problems\n")));
}

TEST(AvdtoolVerify, ArchivesTheWriterMakesAreAllGood) {
  const std::vector<Member> sample = SampleGameMembers();
  ASSERT_GT(sample.size(), 20u);
  EXPECT_EQ(Report(ArchiveOf(sample)), std::to_string(sample.size()) + " members, all good\n");
  EXPECT_EQ(Report(ArchiveOf(Handful())), "6 members, all good\n");
  EXPECT_EQ(Report(ArchiveOf({})), "0 members, all good\n");
  EXPECT_EQ(Report(ArchiveOf({{"A", {}}})), "1 member, all good\n");
  // Equal names stay in order of their data.
  EXPECT_EQ(Report(ArchiveOf({{"b", Bytes("1")}, {"B", Bytes("2")}, {"a", Bytes("3")}})),
            "3 members, all good\n");
}

// DATA may hold the interpreter's own "SYSTEM.PDT": what does not begin
// with the magic of the kind its name claims is data.
TEST(AvdtoolVerify, AMemberNamedAsAPictureOrAScenarioWithoutItsMagicIsData) {
  std::vector<uint8_t> almost = Pdt(8, 4, std::vector<uint16_t>(16, 0));
  almost[4] = '1';
  std::vector<uint8_t> scenario = Tpc({});
  scenario[0] = 'X';
  EXPECT_EQ(Report(ArchiveOf({{"SYSTEM.PDT", Bytes("interpreter's own")},
                              {"P.PDT", almost},
                              {"E.PDT", {}},
                              {"SEEN001.TXT", scenario},
                              {"SEEN002.TXT", Bytes("TPC3")}})),
            "5 members, all good\n");
}

TEST(AvdtoolVerify, TheHeaderKeepsItsFixedFields) {
  const std::vector<uint8_t> good = ArchiveOf(Handful());
  std::vector<uint8_t> file = good;
  file[0] = 'k';
  ExpectProblem(file, "header: the magic is not \"KELPIX\" and two zero bytes");
  file = good;
  file[7] = 1;
  ExpectProblem(file, "header: the magic is not");

  for (size_t offset : {8, 10, 14, 16}) {
    file = good;
    const uint32_t value = base::GetU16(file.data() + offset);
    base::PutU16(file.data() + offset, value + 1);
    ExpectProblem(file, "header: the word at offset " + std::to_string(offset) + " is " +
                            std::to_string(value + 1) + ", not " + std::to_string(value));
  }

  // Every reserved byte, each named; the first that differs is the line.
  for (size_t offset = 18; offset < 32; ++offset) {
    file = good;
    file[offset] = 7;
    if (offset < 31) file[31] = 9;
    EXPECT_EQ(Report(file), "header: byte " + std::to_string(offset) +
                                " is 7, not 0 (bytes 18 to 31 are reserved)\n"
                                "1 problem\n");
  }

  file = good;
  std::fill(file.begin() + 32, file.begin() + 64, 'T');
  ExpectProblem(file, "header: the title is not zero-terminated within its 32 bytes");
  file[40] = 0;
  EXPECT_EQ(Report(file),
            "header: the title is \"TTTTTTTT\", not \"\x83L\x83\x8B\x83i\x81[\x83g\"\n"
            "header: the title is not zero-padded behind its terminator\n2 problems\n");
  // A title cut short, or with a control byte, shown escaped.
  file = good;
  file[34] = 0;
  ExpectProblem(file, "header: the title is \"\x83L\", not");
  file[33] = 0x1B;
  ExpectProblem(file, "header: the title is \"\\x83\\x1B\", not");
}

TEST(AvdtoolVerify, ATruncatedFileIsReportedWhereverItIsCut) {
  const std::vector<uint8_t> good = ArchiveOf(Handful());
  ExpectProblem({}, "header: the file is 0 bytes long, shorter than the 64-byte header");
  ExpectProblem(std::vector<uint8_t>(good.begin(), good.begin() + 63), "header: the file is 63 bytes long");
  ExpectProblem(
      std::vector<uint8_t>(good.begin(), good.begin() + 100),
      "header: the directory of 6 members ends at byte 256, beyond the end of the file (100 bytes)");
  for (size_t cut : {size_t{256}, size_t{300}, good.size() - 1}) {
    const std::vector<uint8_t> file(good.begin(), good.begin() + static_cast<ptrdiff_t>(cut));
    ExpectProblem(file, "", "beyond the end of the file (" + std::to_string(cut) + " bytes)");
  }
}

TEST(AvdtoolVerify, ACountThatDoesNotFitIsRefused) {
  std::vector<uint8_t> file = ArchiveOf(Handful());
  base::PutU16(file.data() + archive::kCountOffset, 65535);
  ExpectProblem(file, "header: the member count 65535 is above the 4096 the format allows");
  ExpectProblem(file,
                "header: the directory of 65535 members ends at byte 2097184, beyond the end of the file");

  // One member fewer: the last entry is left in the data area.
  file = ArchiveOf(Handful());
  base::PutU16(file.data() + archive::kCountOffset, 5);
  ExpectProblem(file, "SEEN002.TXT (entry 4): starts at 256, leaving a gap of 32 bytes behind the directory");
}

TEST(AvdtoolVerify, MembersCoverTheDataAreaBackToBack) {
  const std::vector<uint8_t> good = ArchiveOf(Handful());
  const size_t readme = IndexOf(good, "README.TXT"), wide = IndexOf(good, "WIDE.PDT");
  const size_t keyed = IndexOf(good, "KEYED.PDT"), empty = IndexOf(good, "EMPTY");

  std::vector<uint8_t> file = good;
  base::PutU32(EntryField(file, readme, archive::kEntryOffsetField), static_cast<uint32_t>(file.size()));
  ExpectProblem(file, "README.TXT (entry 2): ends at ", "beyond the end of the file");

  // KEYED.PDT starts a byte into WIDE.PDT.
  file = good;
  const uint32_t wideOffset = Field(file, wide, archive::kEntryOffsetField);
  const uint32_t wideEnd = wideOffset + Field(file, wide, archive::kEntryPackedField);
  base::PutU32(EntryField(file, keyed, archive::kEntryOffsetField), wideOffset + 1);
  ExpectProblem(
      file,
      "KEYED.PDT (entry 1): starts at " + std::to_string(wideOffset + 1) + ", inside WIDE.PDT (entry 5)",
      "which ends at " + std::to_string(wideEnd));

  // A packed size one short leaves a byte between two members.
  file = good;
  const uint32_t packed = Field(file, wide, archive::kEntryPackedField);
  base::PutU32(EntryField(file, wide, archive::kEntryPackedField), packed - 1);
  ExpectProblem(file, "KEYED.PDT (entry 1): starts at ", "leaving a gap of 1 byte behind WIDE.PDT (entry 5)");

  file = good;
  file.push_back(0);
  ExpectProblem(file, "data area: 1 byte behind the end of EMPTY (entry " + std::to_string(empty) +
                          ") belongs to no member");
}

TEST(AvdtoolVerify, TheDirectoryIsSortedZeroPaddedAndOfKindTwo) {
  const std::vector<uint8_t> good = ArchiveOf(Handful());
  std::vector<uint8_t> file = good;
  std::swap_ranges(EntryField(file, 1, 0), EntryField(file, 2, 0), EntryField(file, 2, 0));
  ExpectProblem(file, "KEYED.PDT (entry 2): out of order, after README.TXT (entry 1)");

  // Equal names whose data is not in the order of their entries.
  file = ArchiveOf({{"B", Bytes("first")}, {"B", Bytes("second")}});
  ASSERT_EQ(Report(file), "2 members, all good\n");
  std::swap_ranges(EntryField(file, 0, 0), EntryField(file, 1, 0), EntryField(file, 1, 0));
  ExpectProblem(file, "B (entry 1): the same name as B (entry 0), but its data does not come after");

  file = good;
  EntryField(file, 0, 0)[9] = 'x';  // EMPTY, then zeros
  ExpectProblem(file, "EMPTY (entry 0): the name is not zero-padded behind its terminator");
  std::fill_n(EntryField(file, 0, 0), 16, 'E');
  ExpectProblem(file, "EEEEEEEEEEEEEEEE (entry 0): the name fills its 16 bytes without a terminating zero");

  file = good;
  base::PutU32(EntryField(file, 3, archive::kEntryKindField), 3);
  ExpectProblem(file, "SEEN001.TXT (entry 3): the kind is 3, not 2");
}

TEST(AvdtoolVerify, EveryMemberDecompressesToItsSize) {
  const std::vector<uint8_t> good = ArchiveOf(Handful());
  const size_t readme = IndexOf(good, "README.TXT");
  const uint32_t offset = Field(good, readme, archive::kEntryOffsetField);
  const uint32_t packed = Field(good, readme, archive::kEntryPackedField);

  // The last byte of the stream's end marker.
  std::vector<uint8_t> file = good;
  file[offset + packed - 1] ^= 0xFF;
  ExpectProblem(file, "README.TXT (entry 2): does not decompress to its 25 bytes: ");

  file = good;
  base::PutU32(EntryField(file, readme, archive::kEntryUnpackedField), 26);
  ExpectProblem(file, "README.TXT (entry 2): does not decompress to its 26 bytes: ",
                "makes fewer bytes than the unpacked size");
  base::PutU32(EntryField(file, readme, archive::kEntryUnpackedField), 0x80000000u);
  ExpectProblem(file, "README.TXT (entry 2): does not decompress", "above 1 GiB");
}

TEST(AvdtoolVerify, APictureAgreesWithItsHeader) {
  const std::vector<uint16_t> pixels(8, Rgb565(1, 2, 3));
  std::vector<uint8_t> picture = Pdt(8, 4, pixels);
  picture.push_back(0);
  ExpectProblem(ArchiveOf({{"P.PDT", picture}}),
                "P.PDT (entry 0): is 49 bytes long; 8 x 4 (stored 4 x 2) without an alpha plane takes 48");

  picture = Pdt(9, 5, pixels, std::vector<uint8_t>(8, 255));  // odd sides halve down
  EXPECT_EQ(Report(ArchiveOf({{"P.PDT", picture}})), "1 member, all good\n");
  picture.pop_back();
  ExpectProblem(ArchiveOf({{"P.PDT", picture}}),
                "P.PDT (entry 0): is 55 bytes long; 9 x 5 (stored 4 x 2) with an alpha plane takes 56");

  picture = Pdt(8, 4, pixels);
  base::PutU32(picture.data() + 28, 5);
  ExpectProblem(ArchiveOf({{"P.PDT", picture}}),
                "P.PDT (entry 0): alpha field is 5, neither 0 nor the 16 bytes");

  picture = Pdt(8, 4, pixels);
  picture[6] = 1;
  picture[21] = 7;
  ExpectProblem(ArchiveOf({{"P.PDT", picture}}),
                "P.PDT (entry 0): header bytes that carry no field are not zero: 6, 21");

  ExpectProblem(ArchiveOf({{"P.PDT", Bytes("PDT10")}}),
                "P.PDT (entry 0): is 5 bytes long, shorter than the 32-byte PDT10 header");

  // Huge sides in a short member: a length mismatch, nothing allocated.
  picture = Pdt(0xFFFFFFFFu, 0xFFFFFFFFu, {});
  ExpectProblem(ArchiveOf({{"P.PDT", picture}}),
                "P.PDT (entry 0): is 32 bytes long; 4294967295 x 4294967295");
}

TEST(AvdtoolVerify, AScenarioAgreesWithItsHeader) {
  std::vector<uint8_t> scenario = Tpc({1, 2, 3});
  base::PutU32(scenario.data() + 95, 4);
  ExpectProblem(ArchiveOf({{"SEEN001.TXT", scenario}}),
                "SEEN001.TXT (entry 0): code length field is 4, but 3 bytes of code follow the header");
  ExpectProblem(ArchiveOf({{"SEEN001.TXT", Bytes("TPC32")}}),
                "SEEN001.TXT (entry 0): is 5 bytes long, shorter than the 99-byte TPC32 header");
  // Other names are data, whatever they hold.
  EXPECT_EQ(
      Report(ArchiveOf({{"SEEN01.TXT", Bytes("x")}, {"SEEN0001.TXT", Bytes("x")}, {"PDT", Bytes("x")}})),
      "3 members, all good\n");
}

TEST(AvdtoolVerify, NamesWithOtherBytesThanAsciiAreEscaped) {
  ExpectProblem(ArchiveOf({{"\x82\xA0\\.PDT", Bytes("PDT10")}}),
                "\\x82\\xA0\\x5C.PDT (entry 0): is 5 bytes long");
}

// Entries that all point at the same stream: each would make a megabyte.
TEST(AvdtoolVerify, EntriesSharingOneStreamCannotMultiplyTheWork) {
  const std::vector<uint8_t> one = ArchiveOf({{"A", std::vector<uint8_t>(1 << 20, 0)}});
  const uint32_t packed = base::GetU32(one.data() + 64 + archive::kEntryPackedField);
  constexpr size_t kEntries = 2000;
  std::vector<uint8_t> file(one.begin(), one.begin() + 64);
  base::PutU16(file.data() + archive::kCountOffset, kEntries);
  const uint32_t dataStart = 64 + 32 * kEntries;
  for (size_t i = 0; i < kEntries; ++i) file.insert(file.end(), one.begin() + 64, one.begin() + 96);
  file.insert(file.end(), one.begin() + 96, one.end());
  for (size_t i = 0; i < kEntries; ++i) {
    base::PutU32(EntryField(file, i, archive::kEntryOffsetField), dataStart);
    EntryField(file, i, 0)[1] = static_cast<uint8_t>('A' + i % 26);  // not all equal names
  }
  ASSERT_EQ(file.size(), dataStart + packed);
  const audit::Verification v = audit::Verify(file);
  const size_t leftAlone = std::count_if(v.problems.begin(), v.problems.end(), [](const std::string& p) {
    return p.find("left alone, since the members before it have made all that the file's bytes can") !=
           std::string::npos;
  });
  // 256 times the file's length is room for so many of the megabytes.
  const size_t room = 256 * file.size() >> 20;
  ASSERT_LT(room, 20u);
  EXPECT_EQ(leftAlone, kEntries - room);
}

}  // namespace
