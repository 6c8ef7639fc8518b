#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "audit/verify.h"
#include "avdtool/listing.h"
#include "avdtool_support.h"
#include "image/pdt_format.h"

namespace {

using namespace avdtool_test;
using avdtool::SortOrder;

std::string List(const std::vector<uint8_t>& file, SortOrder order = SortOrder::kName,
                 avdtool::Status expected = avdtool::Status::kGood) {
  std::string out;
  EXPECT_EQ(avdtool::List(file, order, base::Translations(), out), expected) << out;
  return out;
}

// The first word of every member's row.
std::vector<std::string> Names(const std::string& table) {
  std::vector<std::string> names;
  std::istringstream lines(table);
  std::string line;
  std::getline(lines, line);  // the column names
  while (std::getline(lines, line)) names.push_back(line.substr(0, line.find(' ')));
  names.pop_back();  // the totals
  return names;
}

TEST(AvdtoolList, ShowsEveryMemberWithWhatItsKindTells) {
  EXPECT_EQ(List(ArchiveOf(Handful())),
            "name         kind          packed    unpacked   ratio      offset  details\n"
            "EMPTY        data               3           0       -         359\n"
            "KEYED.PDT    picture           29          38   76.3%         314  2 x 1, alpha\n"
            "README.TXT   data              16          25   64.0%         343\n"
            "SEEN001.TXT  scenario          14          99   14.1%         276  code 0 bytes\n"
            "SEEN002.TXT  scenario          20         102   19.6%         256  code 3 bytes\n"
            "WIDE.PDT     picture           24          48   50.0%         290  4 x 2\n"
            "6 members    total            106         312   34.0%\n");
  EXPECT_EQ(List(ArchiveOf({})),
            "name  kind          packed    unpacked   ratio      offset  details\n"
            "0 members  total              0           0       -\n");
}

TEST(AvdtoolList, SortsByNameOffsetOrSize) {
  const std::vector<uint8_t> file = ArchiveOf(Handful());
  EXPECT_EQ(Names(List(file, SortOrder::kName)),
            (std::vector<std::string>{"EMPTY", "KEYED.PDT", "README.TXT", "SEEN001.TXT", "SEEN002.TXT",
                                      "WIDE.PDT"}));
  // The order of addition.
  EXPECT_EQ(Names(List(file, SortOrder::kOffset)),
            (std::vector<std::string>{"SEEN002.TXT", "SEEN001.TXT", "WIDE.PDT", "KEYED.PDT", "README.TXT",
                                      "EMPTY"}));
  EXPECT_EQ(Names(List(file, SortOrder::kSize)),
            (std::vector<std::string>{"SEEN002.TXT", "SEEN001.TXT", "WIDE.PDT", "KEYED.PDT", "README.TXT",
                                      "EMPTY"}));

  // By name follows the bytes of the name field, whatever the directory's order.
  std::vector<uint8_t> unsorted = file;
  std::swap_ranges(EntryField(unsorted, 0, 0), EntryField(unsorted, 1, 0), EntryField(unsorted, 5, 0));
  EXPECT_EQ(Names(List(unsorted)), Names(List(file)));
}

TEST(AvdtoolList, EscapesBytesOutsidePrintableAscii) {
  const std::string table = List(ArchiveOf({{"\x82\xA0.TXT", Bytes("sjis")}, {"TAB\tNAME", Bytes("t")}}));
  EXPECT_NE(table.find("\n\\x82\\xA0.TXT  data "), std::string::npos) << table;
  EXPECT_NE(table.find("\nTAB\\x09NAME   data "), std::string::npos) << table;
  for (char c : table) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << static_cast<int>(c);
}

TEST(AvdtoolList, AMemberThatCannotBeReadSaysSoInItsRowAndIsAProblem) {
  std::vector<uint8_t> file = ArchiveOf({{"A.PDT", Bytes("PDT10, then too short")},
                                         {"B.PDT", Bytes("b")},
                                         {"SEEN001.TXT", Bytes("TPC32")},
                                         {"SEEN002.TXT", {}},
                                         {"SYSTEM.PDT", Bytes("the interpreter's own")}});
  base::PutU32(EntryField(file, 1, archive::kEntryUnpackedField), 5);
  const std::string table = List(file, SortOrder::kName, avdtool::Status::kProblems);
  EXPECT_NE(table.find("\nA.PDT        picture  "), std::string::npos) << table;
  EXPECT_NE(table.find("  not a well-formed PDT10 picture\n"), std::string::npos) << table;
  // Unread, it is what its name says.
  EXPECT_NE(table.find("\nB.PDT        picture  "), std::string::npos) << table;
  EXPECT_NE(table.find("  cannot be read: the LZO1X stream makes fewer bytes than the unpacked size\n"),
            std::string::npos)
      << table;
  EXPECT_NE(table.find("  shorter than the TPC32 header\n"), std::string::npos) << table;
  // Without its magic, a member is data whatever its name.
  EXPECT_NE(table.find("\nSEEN002.TXT  data  "), std::string::npos) << table;
  EXPECT_NE(table.find("\nSYSTEM.PDT   data  "), std::string::npos) << table;
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A file of 4 MiB whose one member claims a picture of almost 1 GiB: the
// stream makes 34 bytes. Listed and verified with 256 MiB of address space
// to spare, in a process of its own, it takes no more than the stream
// makes: list shows the header, verify finds the bytes after the stream.
TEST(AvdtoolList, AMemberThatClaimsAGigabyteTakesWhatItsStreamMakes) {
  std::vector<uint8_t> picture = Pdt(2, 2, {Rgb565(31, 0, 0)});
  base::PutU32(picture.data() + image::pdt::kWidthOffset, 32768);
  base::PutU32(picture.data() + image::pdt::kHeightOffset, 65534);
  std::vector<uint8_t> file = ArchiveOf({{"HUGE.PDT", picture}});
  const uint32_t claimed = image::pdt::kHeaderSize + uint32_t{16384} * 32767 * 2;
  const uint32_t packed = claimed / archive::kMostExpansion + 1;  // the most it may claim
  ASSERT_LE(claimed, archive::kMostUnpackedSize);
  file.resize(Field(file, 0, archive::kEntryOffsetField) + packed);
  base::PutU32(EntryField(file, 0, archive::kEntryPackedField), packed);
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), claimed);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The address space taken so far, and 256 MiB more.
    std::ifstream statm("/proc/self/statm");
    uint64_t pages = 0;
    statm >> pages;
    const rlim_t limit = pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE)) + (uint64_t{256} << 20);
    const rlimit space{limit, limit};
    if (pages == 0 || setrlimit(RLIMIT_AS, &space) != 0) _exit(10);
    std::string out;
    if (avdtool::List(file, SortOrder::kName, base::Translations(), out) != avdtool::Status::kGood) _exit(11);
    if (out.find("  16384 x 32767\n") == std::string::npos) _exit(12);
    const audit::Verification v = audit::Verify(file);
    if (v.problems.size() != 1) _exit(13);
    if (v.problems[0].find("packed bytes follow the end of the LZO1X stream") == std::string::npos) _exit(14);
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  // 11, 12: list failed; 13, 14: verify did (with "not enough memory").
  EXPECT_EQ(WEXITSTATUS(status), 0);
}
#endif

TEST(AvdtoolList, ADirectoryThatCannotBeReadIsAFailure) {
  std::vector<uint8_t> file = ArchiveOf(Handful());
  base::PutU16(file.data() + archive::kCountOffset, 4000);
  std::string out;
  EXPECT_EQ(avdtool::List(file, SortOrder::kName, base::Translations(), out), avdtool::Status::kCannotRun);
  EXPECT_EQ(out, "the directory of the member count does not fit in the file\n");
  EXPECT_EQ(avdtool::List({}, SortOrder::kName, base::Translations(), out), avdtool::Status::kCannotRun);
  EXPECT_EQ(out, "the file is shorter than the 64-byte header\n");
}

}  // namespace
