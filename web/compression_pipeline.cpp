// The compression pipeline of the page: the members are compressed side by
// side by compression workers, each a worker of the page's own with its own
// converter instance (web/worker.js), and handed back strictly in their order
// of addition, as the threads of the other builds hand them back. The page
// has no threads: a member's bytes are sent to the workers, and waiting for
// a result lets the worker's event loop take the answers in.
#include "archive/compression_pipeline.h"

#include <emscripten.h>

#include <algorithm>

// clang-format off
// Starts up to `wanted` compression workers; how many were started.
EM_JS(unsigned, avd_web_start_compressors, (unsigned wanted), {
  return Module["startCompressors"](wanted);
});
// Sends member number `sequence` (`length` bytes at `data`) to be compressed.
EM_JS(void, avd_web_compress, (double sequence, const uint8_t* data, size_t length), {
  Module["compress"](sequence, HEAPU8.slice(data, data + length));
});
// The size of member `sequence`'s packed form once it has come back, or -1.
EM_JS(double, avd_web_packed_size, (double sequence), {
  return Module["packedSize"](sequence);
});
// Takes member `sequence`'s result: its packed form into `dest` (room for
// avd_web_packed_size bytes); returns the compressor's status.
EM_JS(int, avd_web_take_packed, (double sequence, uint8_t* dest), {
  return Module["takePacked"](sequence, dest);
});
// Returns once another result has come back.
EM_ASYNC_JS(void, avd_web_next_result, (), {
  await Module["nextResult"]();
});
// clang-format on

namespace archive {
namespace {

constexpr size_t kMostSlots = 32;
constexpr size_t kHeldBytesBudget = size_t{2} << 20;
// The page's memory is the sum of every worker's.
constexpr unsigned kMostWorkers = 6;

}  // namespace

// threads_ counts the compression workers: one empty thread object each.
CompressionPipeline::CompressionPipeline(unsigned workers) {
  threads_.resize(avd_web_start_compressors(std::min(workers, kMostWorkers)));
  alwaysRoom_ = 2 * std::max<size_t>(threads_.size(), 1);
  slots_.resize(std::max(alwaysRoom_, kMostSlots));
}

// The workers end with the conversion's own worker; what they still send
// back is not taken.
CompressionPipeline::~CompressionPipeline() { stopping_ = true; }

bool CompressionPipeline::HasRoom(size_t length) {
  const size_t pending = Pending();
  if (pending < alwaysRoom_) return true;
  if (pending >= slots_.size()) return false;
  return length <= kHeldBytesBudget - std::min(heldBytes_, kHeldBytesBudget);
}

// The member's bytes go to the workers; the slot holds them no longer.
void CompressionPipeline::Add(std::string name, std::vector<uint8_t> bytes) {
  Slot& slot = slots_[added_ % slots_.size()];
  slot.member.name = std::move(name);
  slot.member.length = bytes.size();
  slot.member.status = Compressor::Status::kFailed;
  slot.member.packedSize = 0;
  avd_web_compress(static_cast<double>(added_), bytes.data(), bytes.size());
  taken_ = added_ + 1;  // handed to the workers at once
  slot.done = false;
  slot.held = slot.member.length;
  heldBytes_ += slot.held;
  ++added_;
}

CompressionPipeline::Member* CompressionPipeline::Oldest(bool wait) {
  if (Pending() == 0) return nullptr;
  Slot& slot = slots_[released_ % slots_.size()];
  if (slot.done) return &slot.member;
  const double sequence = static_cast<double>(released_);
  double size = avd_web_packed_size(sequence);
  while (size < 0) {
    if (!wait) return nullptr;
    avd_web_next_result();
    size = avd_web_packed_size(sequence);
  }
  Member& member = slot.member;
  try {
    member.bytes.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    std::vector<uint8_t>().swap(member.bytes);
  }
  const int status = avd_web_take_packed(sequence, member.bytes.data());
  member.status = static_cast<Compressor::Status>(status);
  if (member.bytes.size() != static_cast<size_t>(size)) member.status = Compressor::Status::kNoMemory;
  member.packedSize = member.status == Compressor::Status::kOk ? member.bytes.size() : 0;
  if (member.status != Compressor::Status::kOk) std::vector<uint8_t>().swap(member.bytes);
  heldBytes_ = heldBytes_ - slot.held + member.bytes.capacity();
  slot.held = member.bytes.capacity();
  slot.done = true;
  return &member;
}

void CompressionPipeline::ReleaseOldest() {
  Slot& slot = slots_[released_ % slots_.size()];
  heldBytes_ -= slot.held;
  slot.held = 0;
  slot.member.Release();
  ++released_;
}

// Unused: the workers compress.
void CompressionPipeline::Work() {}

}  // namespace archive
