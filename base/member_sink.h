#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace base {

// Where the converters hand each finished member: a name, the bytes and their
// length.
class MemberSink {
 public:
  virtual ~MemberSink() = default;
  // The receiver copies what it needs; the caller may reuse both as soon as
  // the call returns.
  virtual void AddMember(const char* name, const uint8_t* data, size_t length) = 0;
  // The receiver takes the bytes over, saving a copy; the caller's vector is
  // left empty.
  virtual void AddMember(std::string name, std::vector<uint8_t>&& bytes) {
    const std::vector<uint8_t> owned = std::move(bytes);
    AddMember(name.c_str(), owned.data(), owned.size());
  }
};

}  // namespace base
