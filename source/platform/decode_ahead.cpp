#include "platform/decode_ahead.h"

#include <pthread.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

namespace platform {

namespace {

// Decoded per turn of the decoding thread: small enough that a seek waits
// little for the turn in progress.
constexpr size_t chunkFrames = 4096;

}  // namespace

decodeAhead::decodeAhead(mp3Decoder& decoder, size_t capacityFrames)
    : decoder_(decoder),
      frameBytes_(decoder.frameBytes()),
      ring_(std::max(capacityFrames, chunkFrames) * decoder.frameBytes()) {
  // A thread that cannot be made (its stack is address space) is memory
  // that ran out, and halts as such.
  try {
    worker_ = std::thread([this] { decodeUntilStopped(); });
  } catch (const std::system_error&) {
    throw std::bad_alloc();
  }
}

decodeAhead::~decodeAhead() {
  {
    std::lock_guard<std::mutex> hold(decoding_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

size_t decodeAhead::take(uint8_t* out, size_t bytes) {
  const size_t taken = taken_.load(std::memory_order_relaxed);
  const size_t waiting = written_.load(std::memory_order_acquire) - taken;
  const size_t count = std::min(waiting, bytes / frameBytes_ * frameBytes_);
  const size_t at = taken % ring_.size();
  const size_t first = std::min(count, ring_.size() - at);
  std::memcpy(out, ring_.data() + at, first);
  std::memcpy(out + first, ring_.data(), count - first);
  taken_.store(taken + count, std::memory_order_release);
  return count;
}

bool decodeAhead::drained() const {
  return finished_.load(std::memory_order_acquire) &&
         written_.load(std::memory_order_acquire) == taken_.load(std::memory_order_relaxed);
}

size_t decodeAhead::leadFrames() const {
  return (written_.load(std::memory_order_acquire) - taken_.load(std::memory_order_acquire)) /
         frameBytes_;
}

bool decodeAhead::seek(uint64_t frame) {
  bool moved = false;
  {
    std::lock_guard<std::mutex> hold(decoding_);
    moved = decoder_.seek(frame);
    written_.store(0, std::memory_order_relaxed);
    taken_.store(0, std::memory_order_relaxed);
    finished_.store(!moved, std::memory_order_release);
  }
  wake_.notify_all();
  return moved;
}

void decodeAhead::decodeUntilStopped() {
  pthread_setname_np(pthread_self(), "amber-decode");
  std::unique_lock<std::mutex> hold(decoding_);
  while (!stop_) {
    const size_t written = written_.load(std::memory_order_relaxed);
    const size_t space = ring_.size() - (written - taken_.load(std::memory_order_acquire));
    if (finished_.load(std::memory_order_relaxed) || space < chunkFrames * frameBytes_) {
      // Nothing to do until the callback has taken a chunk's worth: a
      // short sleep, since the audio thread must not signal anyone.
      wake_.wait_for(hold, std::chrono::milliseconds(10));
      continue;
    }
    const size_t at = written % ring_.size();
    const size_t room = std::min(chunkFrames * frameBytes_, ring_.size() - at);
    const size_t got = decoder_.read(ring_.data() + at, room);
    written_.store(written + got, std::memory_order_release);
    if (got < room && decoder_.finished()) finished_.store(true, std::memory_order_release);
  }
}

}  // namespace platform
