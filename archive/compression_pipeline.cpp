#include "archive/compression_pipeline.h"

#include <algorithm>
#include <new>
#include <system_error>

namespace archive {
namespace {

// Beyond two members per worker, more members may be in flight as long as
// the bytes they hold (a member's own until it is compressed, its packed form
// afterwards) stay within this budget: a member that is slow to compress then
// does not leave the other workers idle behind it, while those compressed
// after it wait in little memory.
constexpr size_t kMostSlots = 32;
constexpr size_t kHeldBytesBudget = size_t{2} << 20;
// More threads than this would only hold more memory.
constexpr unsigned kMostWorkers = 64;
// A worker gives its output buffer back after a member larger than this.
constexpr size_t kKeptBufferSize = size_t{4} << 20;

}  // namespace

CompressionPipeline::CompressionPipeline(unsigned workers) {
  const unsigned wanted = std::min(workers, kMostWorkers);
  threads_.reserve(wanted);
  // The starts stop at the first the system refuses. A worker touches the
  // slots only once a member is added, after this constructor.
  for (unsigned i = 0; i < wanted; ++i) {
    try {
      threads_.emplace_back(&CompressionPipeline::Work, this);
    } catch (const std::system_error&) {
      break;
    }
  }
  alwaysRoom_ = 2 * std::max<size_t>(threads_.size(), 1);
  slots_.resize(std::max(alwaysRoom_, kMostSlots));
}

CompressionPipeline::~CompressionPipeline() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

bool CompressionPipeline::HasRoom(size_t length) {
  const size_t pending = Pending();
  if (pending < alwaysRoom_) return true;
  if (pending >= slots_.size()) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  return length <= kHeldBytesBudget - std::min(heldBytes_, kHeldBytesBudget);
}

void CompressionPipeline::Add(std::string name, std::vector<uint8_t> bytes) {
  Slot& slot = slots_[added_ % slots_.size()];
  slot.member.name = std::move(name);
  slot.member.length = bytes.size();
  slot.member.bytes = std::move(bytes);
  slot.member.status = Compressor::Status::kFailed;
  slot.member.packedSize = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slot.done = false;
    slot.held = slot.member.length;
    heldBytes_ += slot.held;
    ++added_;
  }
  work_.notify_one();
}

CompressionPipeline::Member* CompressionPipeline::Oldest(bool wait) {
  if (Pending() == 0) return nullptr;
  Slot& slot = slots_[released_ % slots_.size()];
  std::unique_lock<std::mutex> lock(mutex_);
  if (wait) done_.wait(lock, [&slot] { return slot.done; });
  return slot.done ? &slot.member : nullptr;
}

void CompressionPipeline::ReleaseOldest() {
  Slot& slot = slots_[released_ % slots_.size()];
  {
    std::lock_guard<std::mutex> lock(mutex_);
    heldBytes_ -= slot.held;
    slot.held = 0;
  }
  slot.member.Release();
  ++released_;
}

void CompressionPipeline::Work() {
  Compressor compressor;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_.wait(lock, [this] { return stopping_ || taken_ < added_; });
    if (stopping_) return;
    Slot& slot = slots_[taken_ % slots_.size()];
    ++taken_;
    lock.unlock();

    Member& member = slot.member;
    const Compressor::Packed packed = compressor.Compress(member.bytes.data(), member.length);
    member.status = packed.status;
    member.packedSize = packed.size;
    if (packed.status == Compressor::Status::kOk) {
      // The packed form takes the member's place in memory of its own size,
      // or else in the member's memory when it fits there.
      try {
        std::vector<uint8_t>(packed.bytes, packed.bytes + packed.size).swap(member.bytes);
      } catch (const std::bad_alloc&) {
        if (packed.size <= member.bytes.capacity()) {
          member.bytes.assign(packed.bytes, packed.bytes + packed.size);
        } else {
          member.status = Compressor::Status::kNoMemory;
        }
      }
    }
    if (member.status != Compressor::Status::kOk) std::vector<uint8_t>().swap(member.bytes);
    compressor.Trim(kKeptBufferSize);

    lock.lock();
    heldBytes_ = heldBytes_ - slot.held + member.bytes.capacity();
    slot.held = member.bytes.capacity();
    slot.done = true;
    done_.notify_one();
  }
}

}  // namespace archive
