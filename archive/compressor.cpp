#include "archive/compressor.h"

#include <lzo/lzo1x.h>
#include <lzo/lzoconf.h>

#include <new>

#include "archive/lzo_worst_case.h"

namespace archive {

void Compressor::Prepare(size_t bufferSize, bool workMemory) {
  if (buffer_.size() < bufferSize) buffer_.assign(bufferSize, 0);
  if (workMemory && workMemory_.size() < LZO1X_999_MEM_COMPRESS)
    workMemory_.assign(LZO1X_999_MEM_COMPRESS, 0);
}

Compressor::Packed Compressor::Compress(const uint8_t* data, size_t length) {
  Packed packed;
  const uint64_t worst = LzoWorstCase(length);
  try {
    if (workMemory_.size() < LZO1X_999_MEM_COMPRESS) workMemory_.resize(LZO1X_999_MEM_COMPRESS);
    if (worst > buffer_.max_size()) throw std::bad_alloc();
    if (worst > buffer_.size()) buffer_.resize(static_cast<size_t>(worst));
  } catch (const std::bad_alloc&) {
    packed.status = Status::kNoMemory;
    return packed;
  }
  lzo_uint size = 0;
  if (lzo1x_999_compress(data, length, buffer_.data(), &size, workMemory_.data()) != LZO_E_OK) return packed;
  packed.status = Status::kOk;
  packed.bytes = buffer_.data();
  packed.size = size;
  return packed;
}

void Compressor::Trim(size_t most) {
  if (buffer_.size() > most) std::vector<uint8_t>().swap(buffer_);
}

}  // namespace archive
