#include "archive/archive_writer.h"

#include <gtest/gtest.h>
#include <lzo/lzo1x.h>

#include "platform/output_file.h"
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "archive/archive_reader.h"
#include "archive/lzo_worst_case.h"
#include "memory_files.h"
#include "platform/interruption.h"
#include "platform/output_file.h"
#include "test_support.h"

namespace {

const platform::DiskFileStore kDisk{};

using base::GetU16;
using base::GetU32;
using test_support::ReadFile;
using test_support::TempDir;

using Entry = archive::Entry;

struct Archive {
  std::vector<uint8_t> bytes;
  std::vector<Entry> entries;

  explicit Archive(std::vector<uint8_t> b) : bytes(std::move(b)) {
    const archive::ArchiveReader reader(bytes);
    EXPECT_TRUE(reader.Ok()) << archive::Describe(reader.Error());
    entries = reader.Entries();
  }

  std::vector<uint8_t> Unpack(const Entry& e) const {
    std::vector<uint8_t> out;
    const archive::ReadError error = archive::UnpackMember(bytes, e, out);
    EXPECT_EQ(error, archive::ReadError::kNone) << e.name << ": " << archive::Describe(error);
    return out;
  }
};

using test_support::Bytes;

// What a run prints through the writer: its lines about members, then the
// lines FinishArchive returns.
[[maybe_unused]] std::string Printed(const base::CollectedDiagnostics& diagnostics,
                                     const archive::FinishResult& result) {
  std::string text = diagnostics.Text();
  for (const std::string& line : result.errors) text += line;
  return text;
}

class ArchiveWriterTest : public ::testing::Test {
 protected:
  void Add(const std::string& name, const std::vector<uint8_t>& data) {
    writer.AddMember(name.c_str(), data.data(), data.size());
  }
  Archive Finish() {
    EXPECT_TRUE(writer.FinishArchive(ArchivePath(), header).written);
    return Archive(ReadFile(ArchivePath()));
  }
  std::string ArchivePath() const { return dir.Folder() + "DAV299.AVD"; }

  TempDir dir;
  base::CollectedDiagnostics diagnostics;
  archive::ArchiveWriter writer{diagnostics, kDisk};
  archive::ArchiveHeader header{};

  void SetUp() override {
    header[0] = 'K';
    ASSERT_TRUE(writer.OpenSpool(dir.Folder()));
  }
};

TEST_F(ArchiveWriterTest, WithoutMembersTheArchiveIsTheHeaderAlone) {
  header[40] = 0x77;
  Archive a = Finish();
  ASSERT_EQ(a.bytes.size(), 64u);
  EXPECT_EQ(a.bytes[0], 'K');
  EXPECT_EQ(a.bytes[40], 0x77);
  EXPECT_EQ(GetU16(a.bytes.data() + 12), 0u);
  EXPECT_FALSE(std::filesystem::exists(dir.Folder() + "tmp.dat"));
}

TEST_F(ArchiveWriterTest, OneMemberStartsBehindHeaderAndDirectory) {
  Add("data.bin", Bytes("hello hello hello hello"));
  Archive a = Finish();
  ASSERT_EQ(a.entries.size(), 1u);
  EXPECT_EQ(a.entries[0].name, "DATA.BIN");
  EXPECT_EQ(a.entries[0].offset, 96u);
  EXPECT_EQ(a.entries[0].unpacked, 23u);
  EXPECT_EQ(a.entries[0].kind, 2u);
  EXPECT_EQ(a.bytes.size(), 96u + a.entries[0].packed);
  EXPECT_EQ(a.Unpack(a.entries[0]), Bytes("hello hello hello hello"));
}

TEST_F(ArchiveWriterTest, DirectoryIsSortedByUnsignedBytesAndDataKeepsOrderOfAddition) {
  Add("b", Bytes("second-b"));
  Add("\x82\xA0.txt", Bytes("sjis"));
  Add("A", Bytes("first-a"));
  Add("ab", Bytes("prefix is smaller"));
  Add("B", Bytes("another-b"));  // same name as "b" once capitalised
  Archive a = Finish();
  std::vector<std::string> names;
  for (const Entry& e : a.entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "AB", "B", "B", "\x82\xA0.TXT"}));
  // Equal names stay in order of addition.
  EXPECT_EQ(a.Unpack(a.entries[2]), Bytes("second-b"));
  EXPECT_EQ(a.Unpack(a.entries[3]), Bytes("another-b"));
  // The data area is in order of addition, right behind the directory.
  EXPECT_EQ(a.entries[2].offset, 64u + 5 * 32u);
  EXPECT_EQ(a.entries[4].offset, a.entries[2].offset + a.entries[2].packed);
  uint64_t total = 0;
  for (const Entry& e : a.entries) total += e.packed;
  EXPECT_EQ(a.bytes.size(), 64u + 5 * 32u + total);
}

TEST_F(ArchiveWriterTest, NamesKeepAtMostFifteenBytesWithZeroPadding) {
  Add("abcdefghijklmno", Bytes("15"));
  Add("abcdefghijklmnopqrstuvwxyz", Bytes("26"));
  Add("\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0", Bytes("sjis"));
  Archive a = Finish();
  ASSERT_EQ(a.entries.size(), 3u);
  EXPECT_EQ(a.entries[0].name, "ABCDEFGHIJKLMNO");
  EXPECT_EQ(a.entries[1].name, "ABCDEFGHIJKLMNO");
  EXPECT_EQ(a.Unpack(a.entries[1]), Bytes("26"));
  // The cut never splits a double-byte character: a character that would
  // leave its first byte alone goes whole.
  EXPECT_EQ(a.entries[2].name, std::string("\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0"));
  for (size_t i = 0; i < 3; ++i) {
    const uint8_t* field = a.bytes.data() + 64 + 32 * i;
    EXPECT_EQ(field[15], 0);
  }
}

TEST_F(ArchiveWriterTest, EmptyMemberStoresTheEndOfStreamMarker) {
  Add("empty", {});
  Archive a = Finish();
  ASSERT_EQ(a.entries.size(), 1u);
  EXPECT_EQ(a.entries[0].unpacked, 0u);
  EXPECT_EQ(a.Unpack(a.entries[0]), std::vector<uint8_t>{});
  EXPECT_GT(a.entries[0].packed, 0u);
}

TEST_F(ArchiveWriterTest, IncompressibleMemberLargerThanTheBufferIsKeptWhole) {
  std::vector<uint8_t> noise(1100000);
  std::mt19937 rng(7);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());
  Add("noise.bin", noise);
  Add("after", Bytes("after"));
  Archive a = Finish();
  ASSERT_EQ(a.entries.size(), 2u);
  EXPECT_GT(a.entries[1].packed, noise.size());
  EXPECT_EQ(a.Unpack(a.entries[1]), noise);
  EXPECT_EQ(a.Unpack(a.entries[0]), Bytes("after"));
}

TEST_F(ArchiveWriterTest, MembersBeyondTheDirectoryAreLeftOutWithAWarning) {
  for (int i = 0; i < 4097; ++i) {
    std::string name = "m" + std::to_string(i);
    Add(name, Bytes(name));
  }
  EXPECT_EQ(diagnostics.Text(), "Warning : the archive holds at most 4096 members; left out: m4096\n");
  Archive a = Finish();
  EXPECT_EQ(a.entries.size(), 4096u);
  for (const Entry& e : a.entries) {
    ASSERT_NE(e.name, "M4096");
    std::string lower = e.name;
    lower[0] = 'm';
    ASSERT_EQ(a.Unpack(e), Bytes(lower));
  }
}

TEST_F(ArchiveWriterTest, AnArchiveNameThatIsAFolderKeepsTheSpoolAndReportsTheFile) {
  std::filesystem::create_directory(ArchivePath());
  Add("x", Bytes("x"));
  const archive::FinishResult result = writer.FinishArchive(ArchivePath(), header);
  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.errors, std::vector<std::string>{"Error : cannot create the archive " + ArchivePath() +
                                                    ": Is a directory\n"});
  EXPECT_EQ(diagnostics.Text(), "") << "the writer returns its failures, it does not report them";
  EXPECT_TRUE(std::filesystem::is_directory(ArchivePath()));
  EXPECT_TRUE(std::filesystem::exists(dir.Folder() + "tmp.dat"));
  EXPECT_FALSE(std::filesystem::exists(ArchivePath() + ".part"));
  // Kept on purpose, the spool is no longer noted for removal on an
  // interruption: more such runs than the table holds still get a spool.
  for (size_t i = 0; i <= platform::kMaxNotedFiles; ++i) {
    base::CollectedDiagnostics lines;
    archive::ArchiveWriter again(lines, kDisk, 1);
    ASSERT_TRUE(again.OpenSpool(dir.Folder() + "again" + std::to_string(i) + "-")) << i;
    EXPECT_FALSE(again.FinishArchive(ArchivePath(), header).written);
  }
}

TEST_F(ArchiveWriterTest, AnEarlierArchiveSurvivesARunWhoseArchiveCannotBeCreated) {
  dir.Write("DAV299.AVD", std::string("good archive of an earlier run"));
  dir.Write("DAV299.AVD.part/inside", "taken");
  Add("x", Bytes("x"));
  const archive::FinishResult result = writer.FinishArchive(ArchivePath(), header);
  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.errors, std::vector<std::string>{"Error : cannot create the archive " + ArchivePath() +
                                                    ".part: Is a directory\n"});
  EXPECT_EQ(ReadFile(ArchivePath()), Bytes("good archive of an earlier run"));
  EXPECT_EQ(ReadFile(dir.Path() / "DAV299.AVD.part" / "inside"), Bytes("taken"));
  EXPECT_GT(std::filesystem::file_size(dir.Path() / "tmp.dat"), 0u);
}

TEST_F(ArchiveWriterTest, AFolderThatCannotHoldTheSpoolFailsToOpen) {
  archive::ArchiveWriter other(diagnostics, kDisk);
  EXPECT_FALSE(other.OpenSpool(dir.Folder() + "missing/"));
  EXPECT_EQ(diagnostics.Text(), "Error : cannot create the spool " + dir.Folder() +
                                    "missing/tmp.dat: No such file or directory\n");
}

}  // namespace

// The failures below are made with fork, rlimits, FIFOs and links: POSIX
// only.
#ifndef _WIN32

namespace {

// Runs `body` in a child process whose files may not grow beyond `limit`
// bytes, and returns the child's exit status. The child keeps the default
// action of SIGXFSZ: a write beyond the limit must fail, not end it.
template <typename Body>
int WithFileSizeLimit(rlim_t limit, Body body) {
  pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_DFL);
    rlimit rl{limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

TEST(ArchiveWriterFailures, AFullDiskNeverReplacesAGoodArchive) {
  TempDir dir;
  const std::string archivePath = dir.Folder() + "DAV299.AVD";
  dir.Write("DAV299.AVD", std::string("good archive of an earlier run"));
  std::vector<uint8_t> noise(300000);
  std::mt19937 rng(1);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());

  // The spool fills up part-way through the second member.
  int spoolFull = WithFileSizeLimit(400000, [&] {
    base::CollectedDiagnostics diagnostics;
    archive::ArchiveWriter writer(diagnostics, kDisk);
    archive::ArchiveHeader header{};
    if (!writer.OpenSpool(dir.Folder())) return 10;
    writer.AddMember("a", noise.data(), noise.size());
    writer.AddMember("b", noise.data(), noise.size());
    writer.AddMember("c", noise.data(), 10);
    const archive::FinishResult result = writer.FinishArchive(archivePath, header);
    if (result.written) return 11;
    bool reported =
        Printed(diagnostics, result).find("Error : cannot write the spool " + dir.Folder() + "tmp.dat\n") ==
        0;
    return reported ? 0 : 12;
  });
  EXPECT_EQ(spoolFull, 0);
  EXPECT_EQ(ReadFile(archivePath), Bytes("good archive of an earlier run"));
  EXPECT_FALSE(std::filesystem::exists(dir.Folder() + "tmp.dat"));

  // The spool fits, the archive (header, directory and data) does not.
  std::vector<uint8_t> packed(archive::LzoWorstCase(noise.size())), work(LZO1X_999_MEM_COMPRESS);
  lzo_uint packedSize = 0;
  ASSERT_EQ(lzo_init(), LZO_E_OK);
  ASSERT_EQ(lzo1x_999_compress(noise.data(), noise.size(), packed.data(), &packedSize, work.data()),
            LZO_E_OK);
  int archiveFull = WithFileSizeLimit(packedSize + 50, [&] {
    base::CollectedDiagnostics diagnostics;
    archive::ArchiveWriter writer(diagnostics, kDisk);
    archive::ArchiveHeader header{};
    if (!writer.OpenSpool(dir.Folder())) return 10;
    writer.AddMember("a", noise.data(), noise.size());
    const archive::FinishResult result = writer.FinishArchive(archivePath, header);
    if (result.written) return 11;
    return Printed(diagnostics, result) == "Error : cannot write the archive " + archivePath + "\n" ? 0 : 12;
  });
  EXPECT_EQ(archiveFull, 0);
  EXPECT_EQ(ReadFile(archivePath), Bytes("good archive of an earlier run"));
  EXPECT_FALSE(std::filesystem::exists(archivePath + ".part"));
}

// A file an interruption could not remove is not created: said, and the
// run goes no further with it. Paths show their control bytes escaped.
TEST(ArchiveWriterFailures, AFileTheInterruptionTableCannotHoldIsNotCreatedAndSaysSo) {
  const std::string folder = "out\x1b]0;x\x07/";
  {
    base::CollectedDiagnostics diagnostics;
    test_support::MemoryFiles files;
    files.RefuseToTrack("tmp.dat");
    archive::ArchiveWriter writer(diagnostics, files, 1);
    EXPECT_FALSE(writer.OpenSpool(folder));
    EXPECT_EQ(diagnostics.Text(),
              "Error : out\\x1B]0;x\\x07/tmp.dat was not created: it could not be noted for removal on an "
              "interruption\n");
    EXPECT_EQ(files.Find(folder + "tmp.dat"), nullptr);
  }
  base::CollectedDiagnostics diagnostics;
  test_support::MemoryFiles files;
  files.RefuseToTrack(".part");
  archive::ArchiveWriter writer(diagnostics, files, 1);
  ASSERT_TRUE(writer.OpenSpool(folder));
  writer.AddMember("A", reinterpret_cast<const uint8_t*>("a"), 1);
  archive::ArchiveHeader header{};
  const archive::FinishResult result = writer.FinishArchive(folder + "DAV299.AVD", header);
  EXPECT_FALSE(result.written);
  EXPECT_EQ(result.errors,
            (std::vector<std::string>{"Error : out\\x1B]0;x\\x07/DAV299.AVD.part was not created: it "
                                      "could not be noted for removal on an interruption\n"}));
  EXPECT_EQ(files.Find(folder + "DAV299.AVD"), nullptr);
  EXPECT_NE(files.Find(folder + "tmp.dat"), nullptr) << "kept, as when the archive cannot be created";
}

TEST(ArchiveWriterFailures, ASpoolFailureIsReportedAtItsMemberAndTheArchiveRefusedAfterwards) {
  TempDir dir;
  const std::string archivePath = dir.Folder() + "DAV299.AVD";
  dir.Write("DAV299.AVD", std::string("good archive of an earlier run"));
  std::vector<uint8_t> noise(300000);
  std::mt19937 rng(3);
  for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());
  const std::string spool = dir.Folder() + "tmp.dat";

  int status = WithFileSizeLimit(400000, [&] {
    base::CollectedDiagnostics diagnostics;
    // One worker compresses in the calling thread: the line comes within the
    // very call.
    archive::ArchiveWriter writer(diagnostics, kDisk, 1);
    archive::ArchiveHeader header{};
    if (!writer.OpenSpool(dir.Folder())) return 10;
    writer.AddMember("a", noise.data(), noise.size());
    if (!diagnostics.Text().empty()) return 11;
    writer.AddMember("b", noise.data(), noise.size());
    if (diagnostics.Text() != "Error : cannot write the spool " + spool + "\n") return 12;
    // Once the spool has failed, later members are dropped without more lines.
    writer.AddMember("c", noise.data(), 10);
    if (diagnostics.Text() != "Error : cannot write the spool " + spool + "\n") return 13;
    if (writer.MemberCount() != 1) return 14;
    const archive::FinishResult result = writer.FinishArchive(archivePath, header);
    if (result.written) return 15;
    const std::vector<std::string> expected{"Error : the archive " + archivePath +
                                            " was not written, since the spool is incomplete\n"};
    return result.errors == expected ? 0 : 16;
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadFile(archivePath), Bytes("good archive of an earlier run"));
  EXPECT_FALSE(std::filesystem::exists(spool));
  EXPECT_FALSE(std::filesystem::exists(archivePath + ".part"));
}

TEST(ArchiveWriterFailures, AMemberWhoseCompressionBufferCannotBeHadIsLeftOutWithAWarning) {
#ifdef AVD_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve more address space than any limit would leave";
#else
  // The address space the process takes now, in bytes.
  const auto addressSpace = [] {
    std::ifstream statm("/proc/self/statm");
    rlim_t pages = 0;
    statm >> pages;
    return pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
  };
  // One worker: the buffer for the worst case fails in the calling thread.
  // Two: the copy of a member the caller keeps fails, or, for a member
  // handed over, the buffer fails in a worker and the line comes later.
  for (const auto& [workers, handedOver] :
       {std::pair{1u, false}, std::pair{2u, false}, std::pair{2u, true}}) {
    SCOPED_TRACE(std::to_string(workers) + (handedOver ? " workers, handed over" : " workers, copied"));
    TempDir dir;
    const std::string archivePath = dir.Folder() + "DAV299.AVD";
    pid_t pid = fork();
    if (pid == 0) {
      // An exception that escapes the writer ends the child with 13.
      int code = 13;
      try {
        base::CollectedDiagnostics diagnostics;
        archive::ArchiveWriter writer(diagnostics, kDisk, workers);
        archive::ArchiveHeader header{};
        if (!writer.OpenSpool(dir.Folder())) _exit(10);
        std::vector<uint8_t> member(64 << 20, 'm');
        const std::vector<uint8_t> small(10, 'm');
        // Room for a little more, not for a second buffer of the member's size.
        rlimit rl{addressSpace() + (16 << 20), RLIM_INFINITY};
        setrlimit(RLIMIT_AS, &rl);
        if (handedOver) {
          writer.AddMember("big", std::move(member));
        } else {
          writer.AddMember("big", member.data(), member.size());
        }
        writer.AddMember("small", small.data(), small.size());
        if (!writer.FinishArchive(archivePath, header).written) _exit(11);
        code = diagnostics.Text() == "Warning : not enough memory to compress the member; left out: big\n"
                   ? 0
                   : 12;
      } catch (...) {
      }
      _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "the writer did not survive";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    Archive a(ReadFile(archivePath));
    ASSERT_EQ(a.entries.size(), 1u);
    EXPECT_EQ(a.entries[0].name, "SMALL");
    EXPECT_EQ(a.Unpack(a.entries[0]), Bytes("mmmmmmmmmm"));
  }
#endif
}

}  // namespace

namespace {

TEST(ArchiveWriterLeftovers, AFifoSpoolAndALinkedTemporaryArchiveAreReplacedNotUsed) {
  TempDir dir, elsewhere;
  ASSERT_EQ(mkfifo((dir.Path() / "tmp.dat").c_str(), 0644), 0);
  const std::string victim = elsewhere.Write("victim", std::string("keep me"));
  std::filesystem::create_symlink(victim, dir.Path() / "DAV299.AVD.part");

  base::CollectedDiagnostics diagnostics;
  archive::ArchiveWriter writer(diagnostics, kDisk);
  ASSERT_TRUE(writer.OpenSpool(dir.Folder()));  // does not wait for a FIFO reader
  writer.AddMember("a", reinterpret_cast<const uint8_t*>("abc"), 3);
  archive::ArchiveHeader header{};
  ASSERT_TRUE(writer.FinishArchive(dir.Folder() + "DAV299.AVD", header).written);
  EXPECT_EQ(ReadFile(victim), Bytes("keep me"));
  Archive a(ReadFile(dir.Path() / "DAV299.AVD"));
  ASSERT_EQ(a.entries.size(), 1u);
  EXPECT_EQ(a.Unpack(a.entries[0]), Bytes("abc"));
  EXPECT_FALSE(std::filesystem::exists(dir.Path() / "tmp.dat"));
}

}  // namespace

#endif  // _WIN32
