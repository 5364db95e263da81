#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace platform {

// What one audio callback did, for the main thread's clock.
struct callbackEvent {
  uint64_t handedFrames = 0;   // handed to the device since the last move, silence included
  uint64_t decodedFrames = 0;  // of those, sound from the song
  int64_t time = 0;            // monotonic nanoseconds, when the callback ran
  bool ended = false;          // the whole song has been handed over
};

// Passes callback events from the audio thread to the main thread without
// a lock, so the audio thread never waits for a thread of lower priority.
// One writer, one reader. When the reader falls behind by the whole queue,
// the newest events are dropped: each carries running totals, so the next
// one read makes up for them.
class callbackEvents {
 public:
  // Audio thread. Never blocks.
  void push(const callbackEvent& event) {
    const size_t head = head_.load(std::memory_order_relaxed);
    if (head - tail_.load(std::memory_order_acquire) == slots_.size()) return;
    slots_[head % slots_.size()] = event;
    head_.store(head + 1, std::memory_order_release);
  }
  // Reader. False when there is nothing new.
  bool pop(callbackEvent* event) {
    const size_t tail = tail_.load(std::memory_order_relaxed);
    if (tail == head_.load(std::memory_order_acquire)) return false;
    *event = slots_[tail % slots_.size()];
    tail_.store(tail + 1, std::memory_order_release);
    return true;
  }

 private:
  std::array<callbackEvent, 64> slots_{};
  std::atomic<size_t> head_{0};
  std::atomic<size_t> tail_{0};
};

}  // namespace platform
