#pragma once

#include <lzo/lzo1x.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_format.h"

namespace test_support {

// Reads an archive file back: its directory and each member's bytes.
struct ArchiveContents {
  struct Member {
    std::string name;
    uint32_t offset = 0;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> raw;
  std::vector<Member> members;
  bool valid = false;

  explicit ArchiveContents(std::vector<uint8_t> file) : raw(std::move(file)) {
    if (raw.size() < archive::kHeaderSize) return;
    size_t count = archive::GetU16(raw.data() + archive::kCountOffset);
    if (raw.size() < archive::kHeaderSize + archive::kEntrySize * count) return;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t* e = raw.data() + archive::kHeaderSize + archive::kEntrySize * i;
      Member m;
      m.name.assign(reinterpret_cast<const char*>(e), strnlen(reinterpret_cast<const char*>(e), 16));
      m.offset = archive::GetU32(e + archive::kEntryOffsetField);
      uint32_t packed = archive::GetU32(e + archive::kEntryPackedField);
      uint32_t unpacked = archive::GetU32(e + archive::kEntryUnpackedField);
      if (uint64_t{m.offset} + packed > raw.size()) return;
      m.bytes.resize(unpacked + 1);
      lzo_uint outLen = m.bytes.size();
      if (lzo1x_decompress_safe(raw.data() + m.offset, packed, m.bytes.data(), &outLen, nullptr) != LZO_E_OK)
        return;
      if (outLen != unpacked) return;
      m.bytes.resize(outLen);
      members.push_back(std::move(m));
    }
    valid = true;
  }

  const Member* Find(const std::string& name) const {
    for (const Member& m : members) {
      if (m.name == name) return &m;
    }
    return nullptr;
  }
};

}  // namespace test_support
