#include "limiter.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace songsynth {

namespace {

constexpr int halfTaps = 8;
constexpr int phases = 4;

// Windowed-sinc coefficients for the points 1/4, 2/4 and 3/4 between frames.
struct interpolationTable {
  float taps[phases][2 * halfTaps];
  interpolationTable() {
    for (int p = 1; p < phases; ++p) {
      double fraction = static_cast<double>(p) / phases;
      double sum = 0.0;
      for (int k = 0; k < 2 * halfTaps; ++k) {
        double x = (k - halfTaps + 1) - fraction;  // distance from the point to tap k
        double sinc = std::sin(pi * x) / (pi * x);
        double window = 0.5 + 0.5 * std::cos(pi * x / (halfTaps + 0.5));
        taps[p][k] = static_cast<float>(sinc * window);
        sum += taps[p][k];
      }
      for (int k = 0; k < 2 * halfTaps; ++k) taps[p][k] = static_cast<float>(taps[p][k] / sum);
    }
  }
};

void channelPeaks(const std::vector<float>& samples, std::vector<float>& peaks) {
  static const interpolationTable table;
  const size_t frames = samples.size();
  // Zeros on both sides spare the inner loop any bounds checks.
  std::vector<float> padded(frames + 4 * halfTaps, 0.0f);
  std::copy(samples.begin(), samples.end(), padded.begin() + 2 * halfTaps);
  // between[i]: the largest interpolated magnitude between frame i and i + 1.
  std::vector<float> between(frames, 0.0f);
  for (size_t i = 0; i < frames; ++i) {
    const float* window = padded.data() + i + halfTaps + 1;  // frame i - halfTaps + 1
    float largest = 0.0f;
    for (int p = 1; p < phases; ++p) {
      float value = 0.0f;
      for (int k = 0; k < 2 * halfTaps; ++k) value += table.taps[p][k] * window[k];
      largest = std::max(largest, std::fabs(value));
    }
    between[i] = largest;
  }
  for (size_t i = 0; i < frames; ++i) {
    float largest = std::max(std::fabs(samples[i]), between[i]);
    if (i > 0) largest = std::max(largest, between[i - 1]);
    peaks[i] = std::max(peaks[i], largest);
  }
}

}  // namespace

std::vector<float> truePeakEnvelope(const stereoBuffer& audio) {
  std::vector<float> peaks(audio.frames(), 0.0f);
  channelPeaks(audio.left, peaks);
  channelPeaks(audio.right, peaks);
  return peaks;
}

stereoBuffer limit(const stereoBuffer& input, float gain, const std::vector<float>& peaks,
                   const limiterSettings& settings, float* smallestGain) {
  const size_t frames = input.frames();
  const size_t window = std::max<size_t>(1, static_cast<size_t>(settings.lookaheadSeconds * sampleRate));
  std::vector<float> needed(frames);
  for (size_t i = 0; i < frames; ++i) {
    float peak = peaks[i] * gain;
    needed[i] = peak > settings.ceiling ? settings.ceiling / peak : 1.0f;
  }
  // Forward-looking minimum over [i, i + window) with a monotonic queue.
  std::vector<float> ahead(frames);
  std::deque<size_t> queue;
  size_t next = 0;
  for (size_t i = 0; i < frames; ++i) {
    while (next < frames && next < i + window) {
      while (!queue.empty() && needed[queue.back()] >= needed[next]) queue.pop_back();
      queue.push_back(next++);
    }
    while (queue.front() < i) queue.pop_front();
    ahead[i] = needed[queue.front()];
  }
  // Slow recovery, never above the forward minimum.
  const double recovery = 1.0 - std::exp(-1.0 / (settings.releaseSeconds * sampleRate));
  double held = 1.0;
  for (size_t i = 0; i < frames; ++i) {
    held = std::min<double>(ahead[i], held + (1.0 - held) * recovery);
    ahead[i] = static_cast<float>(held);
  }
  // Moving average over the window ending at each frame: every value in it
  // is at most what that frame needs, so the average is too.
  stereoBuffer output(frames);
  double sum = 0.0;
  float smallest = 1.0f;
  for (size_t i = 0; i < frames; ++i) {
    sum += ahead[i];
    if (i >= window) sum -= ahead[i - window];
    size_t count = std::min(i + 1, window);
    // Before a full window the missing frames count as the first frame's
    // value, which covers every peak in the first window too.
    double smoothed = (sum + static_cast<double>(window - count) * ahead[0]) / static_cast<double>(window);
    float applied = static_cast<float>(std::min<double>(smoothed, needed[i])) * gain;
    smallest = std::min(smallest, applied / gain);
    output.left[i] = input.left[i] * applied;
    output.right[i] = input.right[i] * applied;
  }
  if (smallestGain != nullptr) *smallestGain = smallest;
  return output;
}

}  // namespace songsynth
