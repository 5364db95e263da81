#pragma once

#include <cstdint>

namespace platform {

// Where a playing stream is for the listener, worked out from what the audio
// callback hands to the device and when. Not thread-safe: the stream guards
// it with its own lock. Times are monotonic nanoseconds.
//
// Following the device, the position runs at the stream's rate from the
// moment the first frame played, as recent callbacks place it on average,
// less what the device holds, and never past what was handed: callbacks that
// the scheduler runs early or late do not jerk it. Devices that play
// nothing and only pretend to consume (SDL's dummy driver sleeps a whole
// number of milliseconds per buffer, so it runs a few per cent off real time)
// are followed by the clock alone: the position is the time since play.
class audibleClock {
 public:
  enum class source { device, realTime };

  // `latencyFrames`: what the device holds right after a callback (the buffer
  // just handed plus what was still queued). `lengthFrames`: the stream's
  // length if known beforehand, 0 if not.
  audibleClock(source from, double rate, uint64_t latencyFrames, uint64_t lengthFrames);

  // Playback starts now.
  void start(int64_t now);
  // A callback at `now` has handed the device `handedFrames` frames in all.
  void handed(uint64_t handedFrames, int64_t now);
  // The decoder reached the end after `frames` real frames (the rest handed
  // over is silence).
  void decodedAll(uint64_t frames);

  // The device stopped playing at `now`: from here on the position runs on
  // the real-time clock from where it was, to the end of the stream.
  void continueInRealTime(int64_t now);

  // Audible frames at `now`: never less than any earlier answer, never past
  // the end of the stream; 0 before start.
  uint64_t position(int64_t now);
  // Started, and the last frame not yet heard.
  bool playing(int64_t now);

 private:
  uint64_t estimate(int64_t now) const;
  uint64_t endFrames() const;

  source from_;
  double rate_;
  uint64_t latency_;
  uint64_t knownLength_;
  bool started_ = false;
  int64_t startTime_ = 0;
  bool callbackSeen_ = false;
  uint64_t handed_ = 0;
  int64_t handedTime_ = 0;
  bool decodedAll_ = false;
  uint64_t decodedFrames_ = 0;
  uint64_t lastReported_ = 0;
  // The moment (nanoseconds) the first frame played, averaged over recent
  // callbacks with this weight for the newest.
  static constexpr double anchorWeight = 0.125;
  double anchor_ = 0.0;
};

}  // namespace platform
