#pragma once

#include "engine/music.h"

// A music stream that plays nothing: its position is whatever the caller
// sets (for example frame * frequency / fps), so every frame is reproducible.
class virtualClock : public musicStream {
 public:
  virtualClock(float frequency, float lengthSeconds)
      : frequency_(frequency), lengthSeconds_(lengthSeconds) {}

  void play() override { playing_ = true; }
  uint32_t positionPcm() override { return position_; }
  bool isPlaying() override { return playing_; }
  float frequency() override { return frequency_; }
  float lengthSeconds() override { return lengthSeconds_; }
  // Nothing moves a virtual clock but setPosition, so holding it is free.
  bool pause(bool) override { return true; }
  bool seek(uint32_t samples) override {
    playing_ = true;
    setPosition(samples);
    return true;
  }

  // Moves the clock; a position at or past the song's end stops it.
  void setPosition(uint32_t samples) {
    position_ = samples;
    if (lengthSeconds_ > 0.0f &&
        static_cast<double>(samples) >= static_cast<double>(lengthSeconds_) * frequency_) {
      playing_ = false;
    }
  }
  void stop() { playing_ = false; }

 private:
  float frequency_;
  float lengthSeconds_;
  uint32_t position_ = 0;
  bool playing_ = false;
};
