#include "archive/archive_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive_builder.h"
#include "member_data.h"
#include "test_support.h"

namespace {

using archive::ArchiveReader;
using archive::ReadError;
using test_support::Bytes;
using test_support::Member;
using test_support::WriteArchive;

using member_data::Noise;

// The directory entry field at `field` of entry `i`.
uint8_t* EntryField(std::vector<uint8_t>& file, size_t i, size_t field) {
  return file.data() + archive::kHeaderSize + archive::kEntrySize * i + field;
}

ReadError UnpackFirst(const std::vector<uint8_t>& file, std::vector<uint8_t>& out) {
  const ArchiveReader reader(file);
  EXPECT_TRUE(reader.Ok());
  if (!reader.Ok()) return reader.Error();
  return reader.Unpack(reader.Entries()[0], out);
}

TEST(ArchiveReader, ReadsBackWhatTheWriterStored) {
  const std::vector<uint8_t> noise = Noise(70000, 3);
  const std::vector<uint8_t> file =
      WriteArchive({{"b.txt", Bytes("bee bee bee bee")}, {"A.BIN", noise}, {"empty", {}}});
  const ArchiveReader reader(file);
  ASSERT_TRUE(reader.Ok()) << archive::Describe(reader.Error());
  ASSERT_EQ(reader.DeclaredCount(), 3u);
  EXPECT_EQ(reader.DataStart(), 64u + 3 * 32);
  const std::vector<archive::Entry>& entries = reader.Entries();
  ASSERT_EQ(entries.size(), 3u);

  EXPECT_EQ(entries[0].name, "A.BIN");
  EXPECT_EQ(entries[1].name, "B.TXT");
  EXPECT_EQ(entries[2].name, "EMPTY");
  const std::array<uint8_t, 16> field{'B', '.', 'T', 'X', 'T'};
  EXPECT_EQ(entries[1].nameField, field);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(entries[i].index, i);
    EXPECT_EQ(entries[i].kind, 2u);
  }
  // The data area keeps the order of addition.
  EXPECT_EQ(entries[1].offset, reader.DataStart());
  EXPECT_EQ(entries[0].offset, entries[1].offset + entries[1].packed);
  EXPECT_EQ(entries[0].unpacked, noise.size());

  std::vector<uint8_t> out(5, 'x');
  EXPECT_EQ(reader.Unpack(entries[0], out), ReadError::kNone);
  EXPECT_EQ(out, noise);
  EXPECT_EQ(reader.Unpack(entries[1], out), ReadError::kNone);
  EXPECT_EQ(out, Bytes("bee bee bee bee"));
  EXPECT_EQ(reader.Unpack(entries[2], out), ReadError::kNone);
  EXPECT_TRUE(out.empty());

  std::span<const uint8_t> packed;
  EXPECT_EQ(reader.Packed(entries[1], packed), ReadError::kNone);
  EXPECT_EQ(packed.data(), file.data() + entries[1].offset);
  EXPECT_EQ(packed.size(), entries[1].packed);

  const archive::ArchiveContents contents(file);
  ASSERT_TRUE(contents.valid);
  EXPECT_EQ(contents.raw, file);
  ASSERT_NE(contents.Find("B.TXT"), nullptr);
  EXPECT_EQ(contents.Find("B.TXT")->bytes, Bytes("bee bee bee bee"));
  EXPECT_EQ(contents.Find("b.txt"), nullptr);
}

TEST(ArchiveReader, RefusesAHeaderOrDirectoryThatDoesNotFit) {
  for (size_t size : {0, 1, 63}) {
    const ArchiveReader reader(std::vector<uint8_t>(size, 0));
    EXPECT_EQ(reader.Error(), ReadError::kShorterThanHeader) << size;
    EXPECT_TRUE(reader.Entries().empty());
    EXPECT_EQ(reader.DeclaredCount(), 0u);
  }

  std::vector<uint8_t> file = WriteArchive({{"a", Bytes("a")}, {"b", Bytes("b")}});
  file.resize(64 + 2 * 32 - 1);
  const ArchiveReader cut(file);
  EXPECT_EQ(cut.Error(), ReadError::kDirectoryPastEnd);
  EXPECT_TRUE(cut.Entries().empty());

  // The directory alone fits; the members' bytes are gone.
  file = WriteArchive({{"a", Bytes("a")}, {"b", Bytes("b")}});
  file.resize(64 + 2 * 32);
  const ArchiveReader directoryOnly(file);
  ASSERT_TRUE(directoryOnly.Ok());
  std::vector<uint8_t> out;
  EXPECT_EQ(directoryOnly.Unpack(directoryOnly.Entries()[1], out), ReadError::kMemberPastEnd);

  file = WriteArchive({{"a", Bytes("a")}});
  base::PutU16(file.data() + archive::kCountOffset, 65535);
  const ArchiveReader tooMany(file);
  EXPECT_EQ(tooMany.Error(), ReadError::kDirectoryPastEnd);
  EXPECT_EQ(tooMany.DeclaredCount(), 65535u);
  EXPECT_EQ(tooMany.DataStart(), 64u + 65535u * 32);
}

TEST(ArchiveReader, KeepsEveryMemberWithinTheFile) {
  const std::vector<uint8_t> good = WriteArchive({{"a", Bytes("some member bytes")}});
  const uint32_t packed = base::GetU32(good.data() + 64 + archive::kEntryPackedField);
  struct Case {
    uint32_t offset, packed;
  };
  for (Case c : {Case{0xFFFFFFF0u, 0x20u}, Case{static_cast<uint32_t>(good.size()), 1u},
                 Case{96u, packed + 1}, Case{96u, 0xFFFFFFFFu}}) {
    std::vector<uint8_t> file = good;
    base::PutU32(EntryField(file, 0, archive::kEntryOffsetField), c.offset);
    base::PutU32(EntryField(file, 0, archive::kEntryPackedField), c.packed);
    const ArchiveReader reader(file);
    ASSERT_TRUE(reader.Ok());
    std::span<const uint8_t> bytes = file;
    EXPECT_EQ(reader.Packed(reader.Entries()[0], bytes), ReadError::kMemberPastEnd) << c.offset;
    EXPECT_TRUE(bytes.empty());
    std::vector<uint8_t> out(3);
    EXPECT_EQ(reader.Unpack(reader.Entries()[0], out), ReadError::kMemberPastEnd) << c.offset;
    EXPECT_TRUE(out.empty());
  }
}

TEST(ArchiveReader, RefusesImpossibleUnpackedSizesBeforeAllocating) {
  const std::vector<uint8_t> good = WriteArchive({{"a", std::vector<uint8_t>(5000, 'z')}});
  const uint32_t packed = base::GetU32(good.data() + 64 + archive::kEntryPackedField);
  std::vector<uint8_t> out;

  std::vector<uint8_t> file = good;
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), 0xFFFFFFFFu);
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kTooLarge);
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), archive::kMostUnpackedSize + 1);
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kTooLarge);

  // 5000 bytes of one value pack into a few dozen; 256 times the packed size
  // is the most a stream can make.
  ASSERT_LT(packed * 256u, archive::kMostUnpackedSize);
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), packed * 256u + 1);
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kBeyondPackedSize);
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), packed * 256u);
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kShorterThanRecorded);
  EXPECT_TRUE(out.empty());
}

// A member larger than the first buffer is made in larger ones, to the
// byte; one that claims more than its stream makes fails as any other.
TEST(ArchiveReader, AMemberBeyondTheFirstBufferIsMadeWhole) {
  std::vector<uint8_t> content(2500000);
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<uint8_t>(i * 7 % 251 + i / 4096);
  std::vector<uint8_t> file = WriteArchive({{"a", content}});
  std::vector<uint8_t> out;
  ASSERT_EQ(UnpackFirst(file, out), ReadError::kNone);
  EXPECT_EQ(out, content);
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), static_cast<uint32_t>(content.size() + 1));
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kShorterThanRecorded);
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), static_cast<uint32_t>(content.size() - 1));
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kLongerThanRecorded);
}

// The first bytes are judged alone: what follows them may be anything.
TEST(ArchiveReader, AMembersFirstBytesAreMadeWithoutTheRest) {
  const std::vector<uint8_t> content =
      Bytes("TPC32 and then a long tail, a long tail, a long tail, a long tail");
  const std::vector<uint8_t> file = WriteArchive({{"a", content}});
  const ArchiveReader reader(file);
  ASSERT_TRUE(reader.Ok());
  archive::Entry entry = reader.Entries()[0];
  std::vector<uint8_t> out;
  uint64_t made = 0;
  ASSERT_EQ(reader.UnpackPrefix(entry, 5, out, &made), ReadError::kNone);
  EXPECT_EQ(out, Bytes("TPC32"));
  EXPECT_GE(made, 5u);
  // All of a shorter member, and nothing of none asked for.
  ASSERT_EQ(reader.UnpackPrefix(entry, 1000, out), ReadError::kNone);
  EXPECT_EQ(out, content);
  ASSERT_EQ(reader.UnpackPrefix(entry, 0, out, &made), ReadError::kNone);
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(made, 0u);

  // A wrong size: only the whole sees it. A stream cut before them fails.
  entry.unpacked = 1000;
  EXPECT_EQ(reader.UnpackPrefix(entry, 5, out), ReadError::kNone);
  EXPECT_EQ(reader.Unpack(entry, out), ReadError::kShorterThanRecorded);
  entry.unpacked = static_cast<uint32_t>(content.size());
  entry.packed = 3;
  EXPECT_EQ(reader.UnpackPrefix(entry, 5, out), ReadError::kCorruptStream);
  EXPECT_TRUE(out.empty());
}

TEST(ArchiveReader, ReportsAStreamThatDisagreesWithItsEntry) {
  const std::vector<uint8_t> content = Bytes("a member that compresses: abcabcabcabcabcabcabcabc");
  const std::vector<uint8_t> good = WriteArchive({{"a", content}});
  const uint32_t packed = base::GetU32(good.data() + 64 + archive::kEntryPackedField);
  std::vector<uint8_t> out;
  ASSERT_EQ(UnpackFirst(good, out), ReadError::kNone);
  ASSERT_EQ(out, content);

  std::vector<uint8_t> file = good;
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), static_cast<uint32_t>(content.size() + 1));
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kShorterThanRecorded);
  base::PutU32(EntryField(file, 0, archive::kEntryUnpackedField), static_cast<uint32_t>(content.size() - 1));
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kLongerThanRecorded);
  EXPECT_TRUE(out.empty());

  // The stream without its last byte ends early.
  file = good;
  base::PutU32(EntryField(file, 0, archive::kEntryPackedField), packed - 1);
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kCorruptStream);

  // A byte behind the end marker.
  file = good;
  file.push_back(0);
  base::PutU32(EntryField(file, 0, archive::kEntryPackedField), packed + 1);
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kBytesAfterStream);

  // A first instruction asking for 47 literals, more than the stream holds.
  file = good;
  ASSERT_LT(packed, 47u);
  file[96] = 17 + 47;
  EXPECT_EQ(UnpackFirst(file, out), ReadError::kCorruptStream);
}

TEST(ArchiveReader, NamesEndAtTheirFirstZeroOrAtTheirField) {
  std::vector<uint8_t> file = WriteArchive({{"a", Bytes("a")}, {"b", Bytes("b")}});
  std::fill_n(EntryField(file, 0, 0), 16, 'N');
  std::fill_n(EntryField(file, 1, 0), 16, 0);
  EntryField(file, 1, 0)[3] = 'x';  // behind the terminator
  const ArchiveReader reader(file);
  ASSERT_TRUE(reader.Ok());
  EXPECT_EQ(reader.Entries()[0].name, std::string(16, 'N'));
  EXPECT_EQ(reader.Entries()[1].name, "");
  EXPECT_EQ(reader.Entries()[1].nameField[3], 'x');
}

TEST(ArchiveContents, StopsAtTheFirstMemberThatCannotBeRead) {
  std::vector<uint8_t> file = WriteArchive({{"a", Bytes("first")}, {"b", Bytes("second")}});
  base::PutU32(EntryField(file, 1, archive::kEntryUnpackedField), 100);
  const archive::ArchiveContents contents(std::move(file));
  EXPECT_FALSE(contents.valid);
  EXPECT_EQ(contents.error, ReadError::kShorterThanRecorded);
  ASSERT_EQ(contents.members.size(), 1u);
  EXPECT_EQ(contents.members[0].bytes, Bytes("first"));

  const archive::ArchiveContents empty(std::vector<uint8_t>{});
  EXPECT_FALSE(empty.valid);
  EXPECT_EQ(empty.error, ReadError::kShorterThanHeader);
}

}  // namespace
