#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "archive/compressor.h"

namespace archive {

// Members compressed side by side by worker threads and handed back strictly
// in their order of addition. One thread, the caller, adds members and takes
// them back; each worker has a Compressor of its own.
//
// At most a bounded number of members is in flight (added, not yet taken
// back): always room for two per worker, and room for more as long as the
// bytes they hold stay within a budget. When there is no room the caller
// takes back the oldest member, waiting for it if need be.
class CompressionPipeline {
 public:
  struct Member {
    std::string name;
    std::vector<uint8_t> bytes;  // the member until it is compressed, then its packed form
    size_t length = 0;           // the member's own length
    Compressor::Status status = Compressor::Status::kFailed;
    size_t packedSize = 0;
    // The caller's: lines reported after the member was added, to be shown
    // after whatever the member itself has to report. Never touched by a
    // worker.
    std::vector<std::string> linesAfter;
    size_t linesAfterBytes = 0;

    // Gives back what the member holds, its bytes' memory included, once
    // its slot is done with.
    void Release() {
      name.clear();
      std::vector<uint8_t>().swap(bytes);
      linesAfter.clear();
      linesAfterBytes = 0;
    }
  };

  // Starts `workers` threads, at most 64, or as many as the system gives
  // (Workers() tells; with none, the pipeline must not be used).
  explicit CompressionPipeline(unsigned workers);
  // Members not yet taken by a worker are dropped; the ones being compressed
  // are finished. Joins every worker.
  ~CompressionPipeline();
  CompressionPipeline(const CompressionPipeline&) = delete;
  CompressionPipeline& operator=(const CompressionPipeline&) = delete;

  unsigned Workers() const { return static_cast<unsigned>(threads_.size()); }
  // Members added and not yet released.
  size_t Pending() const { return static_cast<size_t>(added_ - released_); }
  // The most members ever in flight at once.
  size_t Capacity() const { return slots_.size(); }
  // Whether a member of `length` bytes may be added now.
  bool HasRoom(size_t length);

  // Hands a member to the workers; only when HasRoom(bytes.size()).
  void Add(std::string name, std::vector<uint8_t> bytes);

  // The oldest pending member once it is compressed: null when none is
  // pending, or when `wait` is false and it is still being compressed.
  Member* Oldest(bool wait);
  // The member added last; only while one is pending.
  Member& Newest() { return slots_[(added_ - 1) % slots_.size()].member; }
  // Frees the oldest member, which Oldest has returned.
  void ReleaseOldest();

 private:
  struct Slot {
    Member member;
    // Guarded by mutex_: whether the member is compressed, and the bytes it
    // holds (its own, then its packed form's).
    bool done = false;
    size_t held = 0;
  };

  void Work();

  std::vector<Slot> slots_;
  size_t alwaysRoom_ = 0;  // members admitted whatever their size
  std::mutex mutex_;
  size_t heldBytes_ = 0;          // by the pending members; guarded by mutex_
  std::condition_variable work_;  // a member was added, or the workers are to stop
  std::condition_variable done_;  // a member is compressed; only the caller waits
  // Sequence numbers: members [released_, added_) are pending, [taken_,
  // added_) are waiting for a worker. added_ and taken_ change under mutex_;
  // released_ is the caller's.
  uint64_t added_ = 0;
  uint64_t taken_ = 0;
  uint64_t released_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace archive
