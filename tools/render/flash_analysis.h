#pragma once

#include <cstdint>
#include <deque>
#include <vector>

// Counts flashes in a sequence of frames, as broadcast and web rules count
// them: a general flash is a pair of opposing changes of at least 10% of
// the maximum relative luminance where the darker state is below 0.8; a red
// flash a pair of opposing changes of more than 20 in (R - G - B) x 320
// (linear sRGB, negative values as 0) to or from a saturated red
// (R / (R + G + B) >= 0.8). Each pixel's changes are followed on its own;
// a one-second period has N flashes when at least a quarter of the picture
// flashes N times or more within it.
//
// Pure arithmetic: no GL, no files. Per pixel and frame a few table
// look-ups and comparisons; about 80 bytes of state per pixel.

// The most flashes over a quarter of the picture in any one-second period
// ending within one second of the song.
struct flashSecond {
  int64_t second = 0;
  int general = 0;
  int red = 0;
};

class flashAnalysis {
 public:
  // Frames of `width` x `height` pixels, `fpsNumerator` / `fpsDenominator`
  // of them a second.
  flashAnalysis(int32_t width, int32_t height, int64_t fpsNumerator, int64_t fpsDenominator);

  // Adds frame `number` (shown at number / fps seconds), RGB bytes. Numbers
  // must rise; a gap counts as frames that did not change.
  void addFrame(int64_t number, const uint8_t* rgb);

  // Every second that held a frame, in order.
  const std::vector<flashSecond>& seconds() const { return seconds_; }

  // The broadcast limit: more than this many flashes in a second fails.
  static constexpr int allowedPerSecond = 3;

 private:
  // One pixel's movement of one quantity (luminance or redness): where it
  // started (or last made a change), and how far it has gone since.
  struct movement {
    float start = 0.0f;
    float peak = 0.0f;
    bool rising = true;
    bool startRed = false;  // saturated red at the start / at the peak
    bool peakRed = false;
  };
  // The last change of one kind a pixel made.
  struct lastChange {
    int64_t frame = -1;
    bool rising = false;
  };
  // The changes of one kind inside the current one-second period: per
  // pixel, and how many pixels have each count.
  struct changeCounts {
    std::vector<uint16_t> perPixel;
    std::vector<int64_t> pixelsWithCount;
    void add(uint32_t pixel, int delta);
    int flashesOverAQuarter(int64_t pixels) const;
  };
  // True when a change in direction `rising` at frame `number` is a new
  // transition: opposite to the pixel's last one, or a second after it.
  bool isTransition(lastChange& last, int64_t number, bool rising) const;
  struct frameChanges {
    int64_t number;
    std::vector<uint32_t> general;
    std::vector<uint32_t> red;
  };

  int64_t pixels_;
  int64_t fpsNumerator_;
  int64_t fpsDenominator_;
  bool started_ = false;
  std::vector<movement> luminance_;
  std::vector<movement> redness_;
  std::vector<lastChange> lastGeneral_;
  std::vector<lastChange> lastRed_;
  changeCounts general_;
  changeCounts red_;
  std::deque<frameChanges> window_;
  std::vector<flashSecond> seconds_;
};
