// Members whose names, kinds of content and lengths come from the input are
// written through ArchiveWriter, with two workers compressing, into a
// temporary folder, and the archive is read back: it must hold every member,
// named as stored names are (up to the first zero, at most 15 bytes, letters
// capitalised except the second byte of a double-byte character), the
// directory sorted by unsigned bytes with equal names in order of addition,
// the data area in order of addition, and each member decompressing to
// exactly its bytes. Lines reported through the writer's ordered diagnostics
// between the members must come out exactly, in their order. Now and then the
// archive's name is taken by a folder: the writer must then fail, return the
// one line that says so, keep the spool and leave nothing else behind. The
// writer reports nothing of its own.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "archive/archive_reader.h"
#include "archive/archive_writer.h"
#include "platform/output_file.h"
#include "support/test_support.h"

namespace {

const platform::DiskFileStore kDisk{};

using StoredName = std::array<uint8_t, archive::kNameSize>;

constexpr size_t kMostMembers = 48;
constexpr size_t kMostInputBytes = 4096;
constexpr size_t kLongestRun = size_t{1} << 17;
constexpr size_t kLongestNoise = size_t{1} << 15;

void Require(bool condition) {
  if (!condition) std::abort();
}

struct Member {
  StoredName name{};
  std::vector<uint8_t> bytes;
};

// The directory name of a member handed over as `name`.
StoredName Stored(const std::string& name) {
  StoredName stored{};
  size_t length = std::min(std::strlen(name.c_str()), archive::kNameSize - 1);
  std::memcpy(stored.data(), name.data(), length);
  for (size_t i = 0; i < length; ++i) {
    const uint8_t b = stored[i];
    if ((b >= 0x80 && b <= 0x9F) || b >= 0xE0) {
      // The second byte of a double-byte character stays as it is; a first
      // byte the cut would leave alone goes.
      if (i + 1 == length && std::strlen(name.c_str()) > length) stored[i] = 0, length = i;
      ++i;
    } else if (b >= 'a' && b <= 'z') {
      stored[i] = static_cast<uint8_t>(b - 0x20);
    }
  }
  return stored;
}

std::vector<uint8_t> Content(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return in.ConsumeBytes<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, kMostInputBytes));
    case 1:  // compresses to a few bytes
      return std::vector<uint8_t>(in.ConsumeIntegralInRange<size_t>(0, kLongestRun),
                                  in.ConsumeIntegral<uint8_t>());
    case 2: {  // does not compress: LZO1X output is longer than the input
      std::vector<uint8_t> noise(in.ConsumeIntegralInRange<size_t>(0, kLongestNoise));
      uint32_t x = in.ConsumeIntegral<uint32_t>() | 1;
      for (uint8_t& b : noise) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
      }
      return noise;
    }
    default:
      return {};
  }
}

void CheckArchive(const std::vector<uint8_t>& file, const std::vector<Member>& members,
                  const archive::ArchiveHeader& header) {
  const size_t count = members.size();
  const uint64_t dataStart = archive::kHeaderSize + archive::kEntrySize * count;
  Require(file.size() >= dataStart);
  Require(base::GetU16(file.data() + archive::kCountOffset) == count);
  Require(std::equal(header.begin(), header.end(), file.begin()));

  // The directory order: by name, equal names in order of addition.
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return std::memcmp(members[a].name.data(), members[b].name.data(), archive::kNameSize) < 0;
  });

  const archive::ArchiveReader reader(file);
  Require(reader.Ok() && reader.Entries().size() == count);
  std::vector<const archive::Entry*> entries(count);
  for (size_t k = 0; k < count; ++k) {
    const archive::Entry& entry = reader.Entries()[k];
    const Member& m = members[order[k]];
    Require(entry.nameField == m.name);
    Require(entry.unpacked == m.bytes.size());
    Require(entry.kind == archive::kEntryKind);
    entries[order[k]] = &entry;
  }

  uint64_t expectedOffset = dataStart;
  std::vector<uint8_t> unpacked;
  for (size_t i = 0; i < count; ++i) {
    Require(entries[i]->offset == expectedOffset);
    expectedOffset += entries[i]->packed;
    Require(expectedOffset <= file.size());
    Require(reader.Unpack(*entries[i], unpacked) == archive::ReadError::kNone);
    Require(unpacked == members[i].bytes);
  }
  Require(expectedOffset == file.size());
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const test_support::TempDir folder;
  const std::string archivePath = folder.Folder() + "DAV299.AVD";
  base::CollectedDiagnostics diagnostics;
  std::string lines;  // what the ordered diagnostics were given

  FuzzedDataProvider in(data, size);
  archive::ArchiveHeader header{};
  for (size_t i = 0; i < header.size(); ++i) header[i] = static_cast<uint8_t>(i * 7);
  const bool archiveIsFolder = in.ConsumeIntegralInRange(0, 7) == 0;
  if (archiveIsFolder) std::filesystem::create_directory(archivePath);

  archive::ArchiveWriter writer(diagnostics, kDisk, 2);
  Require(writer.OpenSpool(folder.Folder()));
  std::vector<Member> members;
  while (in.remaining_bytes() > 0 && members.size() < kMostMembers) {
    const std::string name = in.ConsumeRandomLengthString(24);
    Member m{Stored(name), Content(in)};
    switch (in.ConsumeIntegralInRange(0, 3)) {
      case 0:  // handed over
        writer.AddMember(name, std::vector<uint8_t>(m.bytes));
        break;
      case 1: {
        const std::string line = "line " + std::to_string(members.size()) + "\n";
        writer.OrderedDiagnostics().Line(line);
        lines += line;
        [[fallthrough]];
      }
      default:
        writer.AddMember(name.c_str(), m.bytes.data(), m.bytes.size());
    }
    members.push_back(std::move(m));
  }
  Require(writer.MemberCount() == members.size());

  const archive::FinishResult finished = writer.FinishArchive(archivePath, header);
  Require(diagnostics.Text() == lines);
  if (archiveIsFolder) {
    Require(!finished.written);
    Require(finished.errors == std::vector<std::string>{"Error : cannot create the archive " + archivePath +
                                                        ": Is a directory\n"});
    Require(FolderNames(folder.Path()) == std::vector<std::string>({"DAV299.AVD", "tmp.dat"}));
    return 0;
  }
  Require(finished.written && finished.errors.empty());
  Require(FolderNames(folder.Path()) == std::vector<std::string>({"DAV299.AVD"}));
  CheckArchive(test_support::ReadFile(archivePath), members, header);
  return 0;
}
