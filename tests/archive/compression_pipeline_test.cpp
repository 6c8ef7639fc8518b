#include "archive/compression_pipeline.h"

#include <gtest/gtest.h>
#include <lzo/lzo1x.h>

#include <algorithm>
#include <string>
#include <vector>

#include "member_data.h"

namespace {

using archive::CompressionPipeline;
using archive::Compressor;

std::vector<uint8_t> PackedAlone(const std::vector<uint8_t>& bytes) {
  Compressor compressor;
  const Compressor::Packed packed = compressor.Compress(bytes.data(), bytes.size());
  EXPECT_EQ(packed.status, Compressor::Status::kOk);
  return {packed.bytes, packed.bytes + packed.size};
}

// Members of many sizes: empty, tiny, compressible, incompressible, one
// beyond the workers' kept buffer.
std::vector<std::vector<uint8_t>> MixedMembers() {
  std::vector<std::vector<uint8_t>> members;
  for (uint32_t i = 0; i < 60; ++i) {
    switch (i % 5) {
      case 0:
        members.push_back({});
        break;
      case 1:
        members.push_back(member_data::Text(1 + i, i));
        break;
      case 2:
        members.push_back(member_data::Text(20000 + 997 * i, i));
        break;
      case 3:
        members.push_back(member_data::Noise(3000 + 331 * i, i));
        break;
      default:
        members.push_back(member_data::Text(i == 59 ? (5 << 20) : 70000, i));
    }
  }
  return members;
}

class PipelineWorkers : public ::testing::TestWithParam<unsigned> {};

TEST_P(PipelineWorkers, HandsBackEveryMemberInItsOrderPackedAsOneCompressorPacksIt) {
  ASSERT_EQ(lzo_init(), LZO_E_OK);
  const std::vector<std::vector<uint8_t>> members = MixedMembers();
  CompressionPipeline pipeline(GetParam());
  ASSERT_EQ(pipeline.Workers(), GetParam());
  size_t next = 0;
  const auto takeBack = [&](CompressionPipeline::Member& m) {
    ASSERT_LT(next, members.size());
    EXPECT_EQ(m.name, "m" + std::to_string(next));
    EXPECT_EQ(m.length, members[next].size());
    ASSERT_EQ(m.status, Compressor::Status::kOk);
    ASSERT_LE(m.packedSize, m.bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(m.bytes.begin(), m.bytes.begin() + static_cast<ptrdiff_t>(m.packedSize)),
              PackedAlone(members[next]))
        << m.name;
    ++next;
    pipeline.ReleaseOldest();
  };
  for (size_t i = 0; i < members.size(); ++i) {
    while (!pipeline.HasRoom(members[i].size())) takeBack(*pipeline.Oldest(true));
    pipeline.Add("m" + std::to_string(i), members[i]);
    ASSERT_LE(pipeline.Pending(), pipeline.Capacity());
    while (CompressionPipeline::Member* done = pipeline.Oldest(false)) takeBack(*done);
  }
  while (CompressionPipeline::Member* m = pipeline.Oldest(true)) takeBack(*m);
  EXPECT_EQ(next, members.size());
  EXPECT_EQ(pipeline.Pending(), 0u);
}

INSTANTIATE_TEST_SUITE_P(OneToEight, PipelineWorkers, ::testing::Values(1u, 2u, 3u, 8u));

TEST(CompressionPipeline, AlwaysTakesTwoMembersPerWorkerAndMoreOnlyWithinItsBudget) {
  CompressionPipeline pipeline(2);
  // Four members of several MiB are taken whatever their size ...
  for (uint32_t i = 0; i < 4; ++i) {
    ASSERT_TRUE(pipeline.HasRoom(3 << 20));
    pipeline.Add("big", member_data::Noise(3 << 20, i));
  }
  // ... and no fifth, nor even a small one, while they are in flight:
  // packed or not, they hold more than the budget.
  EXPECT_FALSE(pipeline.HasRoom(1));
  while (pipeline.Oldest(true)) pipeline.ReleaseOldest();

  // Small members fill every slot, and then there is no more room.
  size_t added = 0;
  while (pipeline.HasRoom(100)) {
    pipeline.Add("small", std::vector<uint8_t>(100, 's'));
    ++added;
    ASSERT_LE(added, pipeline.Capacity());
  }
  EXPECT_EQ(added, pipeline.Capacity());
  EXPECT_GT(pipeline.Capacity(), 4u);
}

TEST(CompressionPipeline, MembersThatPackSmallMakeRoomForMore) {
  CompressionPipeline pipeline(1);
  // Two members of 1.5 MiB fill the budget until they are packed to a few
  // KiB; a third member of that size then fits beside them.
  pipeline.Add("a", std::vector<uint8_t>(3 << 19, 'a'));
  pipeline.Add("b", std::vector<uint8_t>(3 << 19, 'b'));
  EXPECT_FALSE(pipeline.HasRoom(3 << 19));
  CompressionPipeline::Member* a = pipeline.Oldest(true);
  ASSERT_NE(a, nullptr);
  EXPECT_LT(a->bytes.capacity(), size_t{64} << 10) << "the packed form keeps memory of its own size";
  pipeline.Add("c", std::vector<uint8_t>(3 << 19, 'c'));
  while (CompressionPipeline::Member* m = pipeline.Oldest(true)) {
    EXPECT_EQ(m->status, Compressor::Status::kOk);
    pipeline.ReleaseOldest();
  }
}

TEST(CompressionPipeline, NewestIsTheLastAddedAndKeepsTheCallersLines) {
  CompressionPipeline pipeline(3);
  pipeline.Add("a", member_data::Text(1000, 1));
  pipeline.Add("b", member_data::Text(1000, 2));
  pipeline.Newest().linesAfter.push_back("after b\n");
  EXPECT_EQ(pipeline.Newest().name, "b");
  CompressionPipeline::Member* a = pipeline.Oldest(true);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->name, "a");
  EXPECT_TRUE(a->linesAfter.empty());
  pipeline.ReleaseOldest();
  CompressionPipeline::Member* b = pipeline.Oldest(true);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->linesAfter, std::vector<std::string>{"after b\n"});
  pipeline.ReleaseOldest();
  EXPECT_EQ(pipeline.Oldest(true), nullptr);
}

TEST(CompressionPipeline, AnAbsurdNumberOfWorkersStartsAtMost64AndHoldsAsMany) {
  CompressionPipeline pipeline(100000);
  EXPECT_GE(pipeline.Workers(), 1u);
  EXPECT_LE(pipeline.Workers(), 64u);
  EXPECT_LE(pipeline.Capacity(), 2 * 64u);
}

TEST(CompressionPipeline, IsDestroyedFullWithMembersInFlight) {
  // Destroyed at once, full: it returns with every worker joined (the
  // thread sanitizer watches the joins).
  for (unsigned workers : {1u, 2u, 8u}) {
    size_t added = 0;
    {
      CompressionPipeline pipeline(workers);
      ASSERT_GE(pipeline.Workers(), 1u);
      while (pipeline.HasRoom(1 << 20)) {
        pipeline.Add("noise", member_data::Noise(1 << 20, workers));
        ++added;
      }
      // Full: at least two members per worker, never past the capacity, and
      // none of them taken back.
      EXPECT_GE(added, std::min<size_t>(2 * pipeline.Workers(), pipeline.Capacity()));
      EXPECT_LE(added, pipeline.Capacity());
      EXPECT_EQ(pipeline.Pending(), added);
    }
  }
}

}  // namespace
