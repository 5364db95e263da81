#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Decodes an MP3 held in memory, frame by frame, to interleaved signed 16-bit
// samples at the stream's own rate and channel count.
class mp3Decoder {
 public:
  // Opens `bytes` without copying them (they must outlive the decoder) and
  // walks every frame header once for the exact length. Cost: a header scan,
  // no decoding. Check ok() afterwards.
  mp3Decoder(const uint8_t* bytes, size_t length);
  ~mp3Decoder();
  mp3Decoder(const mp3Decoder&) = delete;
  mp3Decoder& operator=(const mp3Decoder&) = delete;

  // False when the bytes are not a stream the decoder understands.
  bool ok() const { return ok_; }
  // Why ok() is false, in the decoder's words.
  const std::string& error() const { return error_; }

  int rate() const { return rate_; }
  int channels() const { return channels_; }
  // Bytes per sample frame (all channels).
  size_t frameBytes() const { return static_cast<size_t>(channels_) * 2; }
  // Sample frames in the whole stream; 0 when the scan could not tell.
  uint64_t lengthFrames() const { return lengthFrames_; }

  // Decodes up to `capacity` bytes into `out` and returns how many it wrote
  // (whole sample frames); fewer only at the end of the stream or after a
  // decoding error, 0 from then on. Decoding one MP3 frame takes tens of
  // microseconds; allocates nothing.
  size_t read(uint8_t* out, size_t capacity);
  // True once read() has reached the end (or given up on an error).
  bool finished() const { return finished_; }
  // Continues decoding at sample frame `frame` (clamped to the length); the
  // next read() starts there, even after the end was reached. Sample-exact
  // thanks to the index the opening scan built; costs one frame's decoding.
  // False when the decoder refuses the position.
  bool seek(uint64_t frame);

 private:
  struct state;
  std::unique_ptr<state> state_;
  bool ok_ = false;
  bool finished_ = false;
  std::string error_;
  int rate_ = 0;
  int channels_ = 0;
  uint64_t lengthFrames_ = 0;
};

}  // namespace platform
