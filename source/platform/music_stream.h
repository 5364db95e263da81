#pragma once

#include <cstdint>

// The interface the show's clock reads its time from. The sound output
// implements it; the engine puts virtual clocks in its place for offline
// rendering and tests. It lives here, below the engine, so that the
// platform layer depends on nothing above it.

// A playing (or pretend-playing) soundtrack.
class musicStream {
 public:
  virtual ~musicStream() = default;
  // Starts playback from the first sample. Called once.
  virtual void play() = 0;
  // Samples heard so far, counted at frequency(); 0 before play.
  virtual uint32_t positionPcm() = 0;
  // False once the last sample has been heard (and before play).
  virtual bool isPlaying() = 0;
  // Samples per second of the stream.
  virtual float frequency() = 0;
  // Length of the song in seconds.
  virtual float lengthSeconds() = 0;
  // Holds (true) or resumes (false) the song where it is: the sound stops
  // and the position stands still together. False when this stream cannot.
  virtual bool pause(bool /*held*/) { return false; }
  // Moves the song to sample `samples`, held or playing; a stream that had
  // ended plays again from there. False when this stream cannot.
  virtual bool seek(uint32_t /*samples*/) { return false; }
};
