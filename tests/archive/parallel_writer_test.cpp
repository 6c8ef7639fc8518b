// The writer with several workers against the writer with one: the same
// archive byte for byte and the same lines in the same order, on every path
// (a full directory, refused members, a spool that fails part-way), and no
// hang when it is destroyed with members in flight.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "member_data.h"
#include "memory_files.h"

namespace {

using archive::ArchiveWriter;
using test_support::MemoryFiles;

// Everything a run leaves: the lines in their order (the writer's, the
// ordered ones and FinishArchive's), the archive, whether it was written.
struct Outcome {
  std::string lines;
  std::vector<uint8_t> archive;
  bool written = false;
};

// `script` adds members and reports lines through the writer; the
// archive is then finished.
using Script = std::function<void(ArchiveWriter&)>;

Outcome RunWith(unsigned workers, const Script& script, uint64_t spoolLimit = UINT64_MAX) {
  MemoryFiles files(spoolLimit);
  base::CollectedDiagnostics diagnostics;
  Outcome outcome;
  {
    ArchiveWriter writer(diagnostics, files, workers);
    EXPECT_TRUE(writer.OpenSpool("/converter/"));
    script(writer);
    archive::ArchiveHeader header{};
    header[0] = 'K';
    const archive::FinishResult result = writer.FinishArchive("/converter/DAV299.AVD", header);
    outcome.written = result.written;
    outcome.lines = diagnostics.Text();
    for (const std::string& line : result.errors) outcome.lines += line;
  }
  if (const std::vector<uint8_t>* archive = files.Find("/converter/DAV299.AVD")) outcome.archive = *archive;
  EXPECT_EQ(files.Find("/converter/tmp.dat") != nullptr,
            !outcome.written && outcome.archive.empty() &&
                outcome.lines.find("cannot create") != std::string::npos);
  return outcome;
}

// Runs `script` with 2, 3 and 8 workers and expects exactly what one
// worker gives.
void ExpectLikeOneWorker(const Script& script, uint64_t spoolLimit = UINT64_MAX) {
  const Outcome one = RunWith(1, script, spoolLimit);
  for (unsigned workers : {2u, 3u, 8u}) {
    const Outcome many = RunWith(workers, script, spoolLimit);
    EXPECT_EQ(many.written, one.written) << workers << " workers";
    EXPECT_EQ(many.lines, one.lines) << workers << " workers";
    EXPECT_TRUE(many.archive == one.archive) << workers << " workers: the archives differ";
  }
}

std::string Name(const char* stem, size_t i) { return stem + std::to_string(i); }

TEST(ParallelWriter, ManyTinyMembersGiveTheSameArchive) {
  const Script script = [](ArchiveWriter& writer) {
    for (size_t i = 0; i < 3000; ++i) {
      const std::vector<uint8_t> bytes = member_data::Text(i % 40, static_cast<uint32_t>(i));
      if (i % 2 == 0) {
        writer.AddMember(Name("t", i).c_str(), bytes.data(), bytes.size());
      } else {
        writer.AddMember(Name("t", i), std::vector<uint8_t>(bytes));
      }
    }
  };
  const Outcome one = RunWith(1, script);
  EXPECT_TRUE(one.written);
  EXPECT_EQ(base::GetU16(one.archive.data() + archive::kCountOffset), 3000u);
  ExpectLikeOneWorker(script);
}

TEST(ParallelWriter, AFewMembersOfSeveralMiBGiveTheSameArchive) {
  const Script script = [](ArchiveWriter& writer) {
    writer.AddMember("noise", member_data::Noise(3 << 20, 1));
    writer.AddMember("small", member_data::Text(100, 2));
    writer.AddMember("text", member_data::Text(5 << 20, 3));
    writer.AddMember("more.noise", member_data::Noise((2 << 20) + 12345, 4));
  };
  const Outcome one = RunWith(1, script);
  EXPECT_TRUE(one.written);
  EXPECT_GT(one.archive.size(), size_t{5} << 20);
  ExpectLikeOneWorker(script);
}

TEST(ParallelWriter, PassingTheDirectoryLimitWithMembersInFlightWarnsAtTheSameMembers) {
  // Every warning and line names the member it follows; a few members are
  // too long for the directory's size fields (never read, as the writer
  // refuses them before it looks at the bytes).
  const std::vector<uint8_t> tiny = member_data::Text(16, 9);
  const Script script = [&tiny](ArchiveWriter& writer) {
    for (size_t i = 0; i < 4110; ++i) {
      if (i % 97 == 0) writer.OrderedDiagnostics().Report("note before %zu\n", i);
      if (i % 1000 == 999 || i == 4095 || i == 4097) {
        writer.AddMember(Name("huge", i).c_str(), tiny.data(), size_t{UINT32_MAX} + 1);
      }
      writer.AddMember(Name("m", i), member_data::Text(i % 300, static_cast<uint32_t>(i)));
    }
    writer.OrderedDiagnostics().Line("last note\n");
  };
  const Outcome one = RunWith(1, script);
  EXPECT_NE(one.lines.find("Warning : member too large for the archive; left out: huge999\n"
                           "note before 1067\n"),
            std::string::npos)
      << one.lines;
  EXPECT_NE(one.lines.find("Warning : the archive holds at most 4096 members; left out: m4096\n"
                           "Warning : the archive holds at most 4096 members; left out: huge4097\n"
                           "Warning : the archive holds at most 4096 members; left out: m4097\n"),
            std::string::npos)
      << one.lines;
  EXPECT_TRUE(one.lines.ends_with("left out: m4109\nlast note\n"));
  ExpectLikeOneWorker(script);
}

TEST(ParallelWriter, ASpoolThatFailsPartWayDropsTheSameMembersAndReportsInTheSamePlace) {
  // Lines between the members go on after the failure; members do not.
  const Script script = [](ArchiveWriter& writer) {
    for (size_t i = 0; i < 40; ++i) {
      writer.OrderedDiagnostics().Report("before %zu\n", i);
      writer.AddMember(Name("n", i), member_data::Noise(20000 + 100 * i, static_cast<uint32_t>(i)));
    }
  };
  for (uint64_t limit : {uint64_t{0}, uint64_t{30000}, uint64_t{300000}, uint64_t{800000}}) {
    const Outcome one = RunWith(1, script, limit);
    EXPECT_FALSE(one.written);
    EXPECT_TRUE(one.archive.empty());
    EXPECT_EQ(std::count(one.lines.begin(), one.lines.end(), '\n'), 42);
    EXPECT_NE(one.lines.find("Error : cannot write the spool /converter/tmp.dat\n"), std::string::npos);
    EXPECT_TRUE(
        one.lines.ends_with("before 39\nError : the archive /converter/DAV299.AVD was not written, since the "
                            "spool is incomplete\n"));
    ExpectLikeOneWorker(script, limit);
  }
}

TEST(ParallelWriter, ALineFoundByAWorkerComesBeforeTheNextLineAndTheCountIsExact) {
  MemoryFiles files(30000);
  base::CollectedDiagnostics diagnostics;
  ArchiveWriter writer(diagnostics, files, 2);
  ASSERT_TRUE(writer.OpenSpool("/converter/"));
  writer.AddMember("a", member_data::Noise(20000, 1));
  writer.AddMember("b", member_data::Noise(20000, 2));  // the spool fails on it
  writer.OrderedDiagnostics().Line("next\n");
  writer.AddMember("c", member_data::Noise(10, 3));
  EXPECT_EQ(writer.MemberCount(), 1u);
  EXPECT_EQ(diagnostics.Text(), "Error : cannot write the spool /converter/tmp.dat\nnext\n");
}

TEST(ParallelWriter, LinesBeforeAnyMemberAndAfterTheArchiveGoStraightThrough) {
  MemoryFiles files;
  base::CollectedDiagnostics diagnostics;
  ArchiveWriter writer(diagnostics, files, 3);
  writer.OrderedDiagnostics().Line("before the spool\n");
  ASSERT_TRUE(writer.OpenSpool("/converter/"));
  writer.OrderedDiagnostics().Line("nothing in flight\n");
  EXPECT_EQ(diagnostics.Text(), "before the spool\nnothing in flight\n");
  writer.AddMember("a", member_data::Text(50000, 1));
  writer.OrderedDiagnostics().Line("behind a\n");
  archive::ArchiveHeader header{};
  EXPECT_TRUE(writer.FinishArchive("/converter/DAV299.AVD", header).written);
  writer.OrderedDiagnostics().Line("after\n");
  writer.AddMember("late", member_data::Text(10, 2));  // no spool any more: dropped silently
  EXPECT_EQ(diagnostics.Text(), "before the spool\nnothing in flight\nbehind a\nafter\n");
}

TEST(ParallelWriter, ManyLinesBehindOneMemberAreAllKeptInOrder) {
  // More lines than the writer holds behind one member: it settles the
  // member and prints them, still in order.
  const Script script = [](ArchiveWriter& writer) {
    writer.AddMember("slow", member_data::Noise(2 << 20, 5));
    for (int i = 0; i < 3000; ++i)
      writer.OrderedDiagnostics().Report("%04d: a line of about forty bytes\n", i);
    writer.AddMember("after", member_data::Text(10, 6));
  };
  const Outcome one = RunWith(1, script);
  EXPECT_EQ(std::count(one.lines.begin(), one.lines.end(), '\n'), 3000);
  ExpectLikeOneWorker(script);
}

TEST(ParallelWriter, ADestroyedWriterJoinsItsWorkersAndReportsNothing) {
  for (unsigned workers : {2u, 8u}) {
    MemoryFiles files;
    base::CollectedDiagnostics diagnostics;
    {
      ArchiveWriter writer(diagnostics, files, workers);
      ASSERT_TRUE(writer.OpenSpool("/converter/"));
      for (uint32_t i = 0; i < 16; ++i) writer.AddMember(Name("n", i), member_data::Noise(256 << 10, i));
      writer.OrderedDiagnostics().Line("held behind the members in flight\n");
    }
    EXPECT_EQ(diagnostics.Text(), "");
    EXPECT_EQ(files.Find("/converter/DAV299.AVD"), nullptr);
  }
}

}  // namespace
