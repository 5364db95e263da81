#include "flash_analysis.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// A change of luminance counts from a tenth of the maximum, one of redness
// from more than 20 (of 320).
constexpr float luminanceChange = 0.1f;
constexpr float darkerStateBelow = 0.8f;
constexpr float rednessChange = 20.0f;

// sRGB bytes to linear light, 0 to 1.
const std::array<float, 256>& linearOf() {
  static const std::array<float, 256> table = [] {
    std::array<float, 256> values{};
    for (int v = 0; v < 256; ++v) {
      const double c = v / 255.0;
      values[v] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return values;
  }();
  return table;
}

}  // namespace

flashAnalysis::flashAnalysis(int32_t width, int32_t height, int64_t fpsNumerator,
                             int64_t fpsDenominator)
    : pixels_(static_cast<int64_t>(width) * height),
      fpsNumerator_(fpsNumerator),
      fpsDenominator_(fpsDenominator),
      luminance_(static_cast<size_t>(pixels_)),
      redness_(static_cast<size_t>(pixels_)),
      lastGeneral_(static_cast<size_t>(pixels_)),
      lastRed_(static_cast<size_t>(pixels_)) {
  for (changeCounts* counts : {&general_, &red_}) {
    counts->perPixel.assign(static_cast<size_t>(pixels_), 0);
    counts->pixelsWithCount.assign(1, pixels_);
  }
}

void flashAnalysis::changeCounts::add(uint32_t pixel, int delta) {
  uint16_t& count = perPixel[pixel];
  --pixelsWithCount[count];
  count = static_cast<uint16_t>(count + delta);
  if (count >= pixelsWithCount.size()) pixelsWithCount.resize(count + 1u, 0);
  ++pixelsWithCount[count];
}

int flashAnalysis::changeCounts::flashesOverAQuarter(int64_t pixels) const {
  // The most changes that at least a quarter of the pixels reach; two
  // opposing changes make a flash.
  int64_t reaching = 0;
  for (size_t count = pixelsWithCount.size(); count-- > 1;) {
    reaching += pixelsWithCount[count];
    if (reaching * 4 >= pixels) return static_cast<int>(count / 2);
  }
  return 0;
}

namespace {

// Moves a pixel's quantity to `value`. Going back from the peak by a whole
// change starts a new movement there, in the other direction; smaller
// wobbles stay part of the movement they interrupt. True when the movement
// has gone a whole change from its start: the caller counts it and the
// movement starts afresh from there, so that a change is placed in time
// where it happens, not where a slow drift before it began.
template <typename Movement>
bool advance(Movement& m, float value, bool red, float change) {
  if (m.rising ? value >= m.peak : value <= m.peak) {
    m.peak = value;
    m.peakRed = red;
  } else if (std::fabs(value - m.peak) >= change) {
    m.start = m.peak;
    m.startRed = m.peakRed;
    m.peak = value;
    m.peakRed = red;
    m.rising = !m.rising;
  }
  return std::fabs(m.peak - m.start) >= change;
}

template <typename Movement>
void startAfresh(Movement& m) {
  m.start = m.peak;
  m.startRed = m.peakRed;
}

}  // namespace

bool flashAnalysis::isTransition(lastChange& last, int64_t number, bool rising) const {
  // Steps of one movement (a fade in stages) within a second make one
  // transition; so transitions alternate within any second, and two of
  // them make a flash.
  if (last.frame >= 0 && last.rising == rising &&
      (number - last.frame) * fpsDenominator_ < fpsNumerator_) {
    return false;
  }
  last = {number, rising};
  return true;
}

void flashAnalysis::addFrame(int64_t number, const uint8_t* rgb) {
  const std::array<float, 256>& linear = linearOf();
  frameChanges changes{number, {}, {}};
  for (int64_t pixel = 0; pixel < pixels_; ++pixel, rgb += 3) {
    const float r = linear[rgb[0]], g = linear[rgb[1]], b = linear[rgb[2]];
    const float luminance = 0.2126f * r + 0.7152f * g + 0.0722f * b;
    const float redness = std::max(0.0f, (r - g - b) * 320.0f);
    const bool saturatedRed = r > 0.0f && r >= 0.8f * (r + g + b);
    movement& light = luminance_[static_cast<size_t>(pixel)];
    movement& red = redness_[static_cast<size_t>(pixel)];
    if (!started_) {
      light = {luminance, luminance, true, false, false};
      red = {redness, redness, true, saturatedRed, saturatedRed};
      continue;
    }
    const size_t at = static_cast<size_t>(pixel);
    if (advance(light, luminance, false, luminanceChange)) {
      if (std::min(light.start, light.peak) < darkerStateBelow &&
          isTransition(lastGeneral_[at], number, light.rising)) {
        changes.general.push_back(static_cast<uint32_t>(pixel));
      }
      startAfresh(light);
    }
    // Redness changes by more than the threshold, to or from saturated red.
    if (advance(red, redness, saturatedRed, rednessChange) &&
        std::fabs(red.peak - red.start) > rednessChange) {
      if ((red.startRed || red.peakRed) && isTransition(lastRed_[at], number, red.rising)) {
        changes.red.push_back(static_cast<uint32_t>(pixel));
      }
      startAfresh(red);
    }
  }
  started_ = true;

  for (uint32_t pixel : changes.general) general_.add(pixel, 1);
  for (uint32_t pixel : changes.red) red_.add(pixel, 1);
  window_.push_back(std::move(changes));
  // The period is the second up to this frame's end: the frames shown less
  // than a second before it.
  while ((number - window_.front().number) * fpsDenominator_ >= fpsNumerator_) {
    for (uint32_t pixel : window_.front().general) general_.add(pixel, -1);
    for (uint32_t pixel : window_.front().red) red_.add(pixel, -1);
    window_.pop_front();
  }

  const int64_t second = number * fpsDenominator_ / fpsNumerator_;
  if (seconds_.empty() || seconds_.back().second != second) seconds_.push_back({second, 0, 0});
  flashSecond& now = seconds_.back();
  now.general = std::max(now.general, general_.flashesOverAQuarter(pixels_));
  now.red = std::max(now.red, red_.flashesOverAQuarter(pixels_));
}
