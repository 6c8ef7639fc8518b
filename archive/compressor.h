#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace archive {

// LZO1X-999 with its own work memory and output buffer: one per thread that
// compresses. Both are allocated when first needed and kept for the next
// member.
class Compressor {
 public:
  enum class Status { kOk, kNoMemory, kFailed };

  // One member as LZO1X-999 made it; `bytes` points into the compressor's
  // buffer and stays valid until its next Compress or Trim.
  struct Packed {
    Status status = Status::kFailed;
    const uint8_t* bytes = nullptr;
    size_t size = 0;
  };

  // Allocates an output buffer of at least `bufferSize` bytes and, with
  // `workMemory`, the work memory now rather than at the first member;
  // throws std::bad_alloc.
  void Prepare(size_t bufferSize, bool workMemory);

  // kNoMemory when the work memory or a buffer for the worst case of
  // `length` bytes cannot be had; kFailed when the library reports an error.
  Packed Compress(const uint8_t* data, size_t length);

  // Gives the output buffer back when it has grown beyond `most` bytes.
  void Trim(size_t most);

  // The output buffer, for use as plain memory between compressions.
  std::vector<uint8_t>& Buffer() { return buffer_; }

 private:
  std::vector<uint8_t> buffer_;
  std::vector<uint8_t> workMemory_;
};

}  // namespace archive
