#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "archive/archive_format.h"
#include "archive/archive_reader.h"
#include "archive_builder.h"
#include "driver/driver.h"
#include "member_builders.h"
#include "sample/sample_game.h"
#include "test_support.h"

namespace avdtool_test {

using test_support::Bytes;
using test_support::Member;
using test_support::Pdt;
using test_support::Tpc;

inline uint16_t Rgb565(uint32_t r5, uint32_t g6, uint32_t b5) {
  return static_cast<uint16_t>(r5 << 11 | g6 << 5 | b5);
}

// A handful of members of every kind, in their order of addition.
inline std::vector<Member> Handful() {
  return {
      {"SEEN002.TXT", Tpc({0x3B, 0x11, 0x17})},
      {"SEEN001.TXT", Tpc({})},
      {"WIDE.PDT", Pdt(8, 4, std::vector<uint16_t>(8, Rgb565(31, 0, 0)))},
      {"KEYED.PDT", Pdt(4, 2, {Rgb565(0, 63, 0), Rgb565(0, 0, 31)}, {255, 0})},
      {"README.TXT", Bytes("read me, read me, read me")},
      {"EMPTY", {}},
  };
}

// The archive the converter writes of these members, with its header.
inline std::vector<uint8_t> ArchiveOf(const std::vector<Member>& members) {
  std::vector<uint8_t> file = test_support::WriteArchive(members, archive::MakeHeader());
  EXPECT_FALSE(file.empty()) << "the writer failed";
  return file;
}

// Every member the converter makes of the sample game, in its order, made
// in-process by the converter's passes.
inline std::vector<Member> SampleGameMembers() {
  test_support::TempDir folder;
  tools::SampleReport report;
  std::string error;
  EXPECT_TRUE(
      tools::WriteSampleGame(folder.Path() / "game", folder.Path() / "bin" / "DATA", {}, report, error))
      << error;
  test_support::RecordingSink sink;
  test_support::CapturedConsole quiet;
  driver::ConvertGame({folder.Folder() + "game/", folder.Folder() + "bin/DATA/"},
                      {quiet.Console(), quiet.Diag(), sink});
  return sink.members;
}

// The directory entry field at `field` of entry `i` of an archive.
inline uint8_t* EntryField(std::vector<uint8_t>& file, size_t i, size_t field) {
  return file.data() + archive::kHeaderSize + archive::kEntrySize * i + field;
}

inline uint32_t Field(const std::vector<uint8_t>& file, size_t i, size_t field) {
  return base::GetU32(file.data() + archive::kHeaderSize + archive::kEntrySize * i + field);
}

// The directory index of the entry named `name`.
inline size_t IndexOf(const std::vector<uint8_t>& file, std::string_view name) {
  const archive::ArchiveReader reader(file);
  for (const archive::Entry& e : reader.Entries()) {
    if (e.name == name) return e.index;
  }
  ADD_FAILURE() << "no member " << name;
  return 0;
}

// The archive of `names` (in that order in its directory), each its own name
// as its bytes (a ".PDT" one a picture), letter case kept as the writer
// would not keep it.
inline std::vector<uint8_t> ArchiveNamed(const std::vector<std::string>& names) {
  std::vector<Member> members;
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string placeholder = "M" + std::string(1, static_cast<char>('A' + i));
    members.push_back(
        {placeholder, names[i].ends_with(".PDT") ? Pdt(4, 2, std::vector<uint16_t>(2, 0)) : Bytes(names[i])});
  }
  std::vector<uint8_t> file = ArchiveOf(members);
  for (size_t i = 0; i < names.size(); ++i) {
    uint8_t* name = EntryField(file, i, 0);
    std::fill(name, name + archive::kNameSize, 0);
    std::copy(names[i].begin(), names[i].end(), name);
  }
  return file;
}

// The names of the files in `folder`, as the system holds them (UTF-8 on
// Windows).
inline std::set<std::string> FileNames(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::u8string name = entry.path().filename().u8string();
    names.emplace(name.begin(), name.end());
  }
  return names;
}

}  // namespace avdtool_test
