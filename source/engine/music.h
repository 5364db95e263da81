#pragma once

#include <cstdint>

// The show's one source of time: the soundtrack as the listener hears it.
// Tests and the offline renderer put a virtual clock in its place.

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
};

// The soundtrack with its timing constants.
struct soundtrack {
  musicStream* stream = nullptr;  // owned
  float tempo = 128.0f;           // beats per minute
  float rowsPerBeat = 8.0f;
  float msPerRow = 58.59375f;     // 60000 / (tempo * 8)
  float lengthSeconds = 0.0f;
};

// The open soundtrack; null until the music phase has run.
extern soundtrack* music;

// Milliseconds per row at `tempo` beats per minute, eight rows per beat.
float msPerRowFor(float tempo);

// Makes `music` from a stream at the given tempo; takes ownership.
soundtrack* makeSoundtrack(musicStream* stream, double tempo);
