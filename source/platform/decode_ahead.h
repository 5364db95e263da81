#pragma once

#include "platform/mp3_decoder.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {

// Decodes a song ahead of its sound device, on a thread of its own, into a
// ring that the device's callback empties with a copy: the callback never
// decodes, never allocates and never waits for a lock that a thread of
// lower priority could be holding. On a busy machine the decoding thread may
// be held up for a long while; the ring's lead covers that.
class decodeAhead {
 public:
  // Starts decoding `decoder` (which must outlive this) into a ring of
  // `capacityFrames` sample frames. Cost: the ring's memory, one thread.
  // Throws std::bad_alloc when either cannot be had.
  decodeAhead(mp3Decoder& decoder, size_t capacityFrames);
  // Stops and joins the decoding thread.
  ~decodeAhead();
  decodeAhead(const decodeAhead&) = delete;
  decodeAhead& operator=(const decodeAhead&) = delete;

  // Audio thread only: copies up to `bytes` of decoded sound (whole sample
  // frames) into `out` and returns how many. Fewer than asked means the
  // decoder is behind, or the song has ended. Lock-free.
  size_t take(uint8_t* out, size_t bytes);
  // Audio thread only: true once the whole song was decoded and taken.
  bool drained() const;
  // Decoded frames waiting in the ring (any thread; a snapshot).
  size_t leadFrames() const;

  // Empties the ring and decodes on from sample frame `frame`. take() must
  // not run meanwhile (hold the device's lock). False when the decoder
  // refuses the position; the ring is then empty and stays so.
  bool seek(uint64_t frame);

 private:
  void decodeUntilStopped();

  mp3Decoder& decoder_;
  const size_t frameBytes_;
  std::vector<uint8_t> ring_;
  // Bytes written and taken since the last seek; the ring holds the
  // difference. Each is written by one thread only.
  std::atomic<size_t> written_{0};
  std::atomic<size_t> taken_{0};
  std::atomic<bool> finished_{false};

  std::mutex decoding_;  // held while the decoder runs, and by seek
  std::condition_variable wake_;
  bool stop_ = false;
  std::thread worker_;
};

}  // namespace platform
