#include "effects.h"

#include <algorithm>
#include <cmath>

namespace songsynth {

namespace {

class combFilter {
 public:
  explicit combFilter(size_t length) : buffer_(length, 0.0f) {}
  float process(float input, float feedback, float damping) {
    float output = buffer_[index_];
    store_ = output * (1.0f - damping) + store_ * damping;
    buffer_[index_] = input + store_ * feedback;
    if (++index_ == buffer_.size()) index_ = 0;
    return output;
  }

 private:
  std::vector<float> buffer_;
  size_t index_ = 0;
  float store_ = 0.0f;
};

class allpassFilter {
 public:
  explicit allpassFilter(size_t length) : buffer_(length, 0.0f) {}
  float process(float input) {
    float delayed = buffer_[index_];
    buffer_[index_] = input + delayed * 0.5f;
    if (++index_ == buffer_.size()) index_ = 0;
    return delayed - input;
  }

 private:
  std::vector<float> buffer_;
  size_t index_ = 0;
};

// Reads a delay line at a fractional distance behind `write`.
float readDelayed(const std::vector<float>& line, size_t write, double distance) {
  double position = static_cast<double>(write) - distance;
  while (position < 0.0) position += static_cast<double>(line.size());
  size_t first = static_cast<size_t>(position);
  float fraction = static_cast<float>(position - static_cast<double>(first));
  size_t second = first + 1 == line.size() ? 0 : first + 1;
  return line[first] + (line[second] - line[first]) * fraction;
}

}  // namespace

stereoBuffer reverbOf(const stereoBuffer& send, float size, float damping, float predelaySeconds, float width) {
  static const size_t combLengths[8] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
  static const size_t allpassLengths[4] = {556, 441, 341, 225};
  const size_t stereoOffset = 23;
  std::vector<combFilter> combsLeft, combsRight;
  std::vector<allpassFilter> allpassLeft, allpassRight;
  for (size_t length : combLengths) {
    combsLeft.emplace_back(length);
    combsRight.emplace_back(length + stereoOffset);
  }
  for (size_t length : allpassLengths) {
    allpassLeft.emplace_back(length);
    allpassRight.emplace_back(length + stereoOffset);
  }
  const float feedback = size * 0.28f + 0.7f;
  const float damp = damping * 0.4f;
  const float wetMain = 0.5f + width * 0.5f;
  const float wetCross = (1.0f - width) * 0.5f;
  const size_t predelay = static_cast<size_t>(predelaySeconds * sampleRate);
  stereoBuffer wet(send.frames());
  stateVariableFilter lowCut;
  lowCut.tune(220.0, 0.0, sampleRate);
  std::vector<float> predelayLine(predelay + 1, 0.0f);
  size_t predelayIndex = 0;
  for (size_t i = 0; i < send.frames(); ++i) {
    float input = lowCut.highpass((send.left[i] + send.right[i]) * 0.5f);
    predelayLine[predelayIndex] = input;
    predelayIndex = predelayIndex + 1 == predelayLine.size() ? 0 : predelayIndex + 1;
    float delayed = predelayLine[predelayIndex] * 0.03f;
    float left = 0.0f, right = 0.0f;
    for (size_t c = 0; c < 8; ++c) {
      left += combsLeft[c].process(delayed, feedback, damp);
      right += combsRight[c].process(delayed, feedback, damp);
    }
    for (size_t a = 0; a < 4; ++a) {
      left = allpassLeft[a].process(left);
      right = allpassRight[a].process(right);
    }
    wet.left[i] = left * wetMain + right * wetCross;
    wet.right[i] = right * wetMain + left * wetCross;
  }
  return wet;
}

stereoBuffer pingPongDelayOf(const stereoBuffer& send, double delaySamples, float feedback, float tone) {
  const size_t length = static_cast<size_t>(delaySamples) + 2;
  std::vector<float> lineLeft(length, 0.0f), lineRight(length, 0.0f);
  onePole darkLeft, darkRight;
  darkLeft.setCutoff(tone, sampleRate);
  darkRight.setCutoff(tone, sampleRate);
  stateVariableFilter lowCut;
  lowCut.tune(300.0, 0.0, sampleRate);
  stereoBuffer wet(send.frames());
  size_t write = 0;
  for (size_t i = 0; i < send.frames(); ++i) {
    float input = lowCut.highpass((send.left[i] + send.right[i]) * 0.5f);
    float echoLeft = readDelayed(lineLeft, write, delaySamples);
    float echoRight = readDelayed(lineRight, write, delaySamples);
    lineLeft[write] = input + darkRight.process(echoRight) * feedback;
    lineRight[write] = darkLeft.process(echoLeft);
    write = write + 1 == length ? 0 : write + 1;
    wet.left[i] = echoLeft;
    wet.right[i] = echoRight;
  }
  return wet;
}

void applyChorus(stereoBuffer& track, float mix) {
  if (mix <= 0.0f) return;
  const double rate = sampleRate;
  const double baseDelay = 0.014 * rate;
  const double depth = 0.004 * rate;
  const double lfoStep = 0.31 / rate;
  const size_t length = static_cast<size_t>(baseDelay + depth) + 4;
  std::vector<float> line(length, 0.0f);
  size_t write = 0;
  double phase = 0.0;
  for (size_t i = 0; i < track.frames(); ++i) {
    line[write] = (track.left[i] + track.right[i]) * 0.5f;
    double left = baseDelay + depth * std::sin(2.0 * pi * phase);
    double right = baseDelay + depth * std::sin(2.0 * pi * (phase + 0.25));
    float wetLeft = readDelayed(line, write, left);
    float wetRight = readDelayed(line, write, right);
    write = write + 1 == length ? 0 : write + 1;
    phase += lfoStep;
    if (phase >= 1.0) phase -= 1.0;
    track.left[i] = track.left[i] * (1.0f - 0.4f * mix) + wetLeft * mix;
    track.right[i] = track.right[i] * (1.0f - 0.4f * mix) + wetRight * mix;
  }
}

}  // namespace songsynth
