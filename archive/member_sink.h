#pragma once

#include <cstddef>
#include <cstdint>

namespace archive {

// Where the converters hand each finished member: a name, the bytes and their
// length. The receiver copies what it needs; the caller may reuse both as soon
// as the call returns.
class MemberSink {
 public:
  virtual ~MemberSink() = default;
  virtual void AddMember(const char* name, const uint8_t* data, size_t length) = 0;
};

}  // namespace archive
