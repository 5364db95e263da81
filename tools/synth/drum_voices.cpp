#include <algorithm>
#include <cmath>

#include "voices.h"

namespace songsynth {

namespace {

// Adds one frame of a voice that started at `start` into the window.
struct windowWriter {
  int64_t windowStart;
  stereoBuffer& out;
  void add(int64_t sample, float left, float right) const {
    int64_t index = sample - windowStart;
    if (index >= 0 && index < static_cast<int64_t>(out.frames())) {
      out.left[index] += left;
      out.right[index] += right;
    }
  }
  bool misses(int64_t start, int64_t life) const {
    return start + life <= windowStart || start >= windowStart + static_cast<int64_t>(out.frames());
  }
};

// exp(-3 t / decay): about -26 dB after `decay` seconds.
double decayCoefficient(double decay) { return std::exp(-3.0 / (std::max(decay, 1e-3) * sampleRate)); }

void kick(const instrumentSettings& s, const noteEvent& e, randomSource& random, const windowWriter& w) {
  const double rate = sampleRate;
  const int64_t life = static_cast<int64_t>(s.decay * 2.5 * rate);
  if (w.misses(e.start, life)) return;
  oscillator body;
  onePole click;
  click.setCutoff(s.tone, rate);
  const double bodyDecay = decayCoefficient(s.decay);
  const double sweepDecay = std::exp(-1.0 / (0.03 * rate));
  const double clickDecay = std::exp(-1.0 / (0.003 * rate));
  double bodyLevel = 1.0, sweep = 1.0, clickLevel = 1.0;
  const double attack = 0.0005 * rate;
  for (int64_t i = 0; i < life; ++i) {
    double frequency = s.pitch * (1.0 + (s.punch - 1.0) * sweep);
    float value = body.sine(frequency / rate) * static_cast<float>(bodyLevel * std::min(1.0, i / attack));
    value += click.process(random.bipolar()) * static_cast<float>(clickLevel * s.snap);
    value = std::tanh(value * 1.6f) / std::tanh(1.6f) * e.velocity;
    w.add(e.start + i, value, value);
    bodyLevel *= bodyDecay;
    sweep *= sweepDecay;
    clickLevel *= clickDecay;
  }
}

void snare(const instrumentSettings& s, const noteEvent& e, randomSource& random, const windowWriter& w) {
  const double rate = sampleRate;
  const int64_t life = static_cast<int64_t>(std::max(s.decay, 0.12f) * 2.5 * rate);
  if (w.misses(e.start, life)) return;
  oscillator low, high;
  stateVariableFilter noiseHigh, noiseLow;
  noiseHigh.tune(1200.0, 0.1, rate);
  noiseLow.tune(s.tone, 0.1, rate);
  const double noiseDecay = decayCoefficient(s.decay);
  const double toneDecay = decayCoefficient(0.12);
  double noiseLevel = 1.0, toneLevel = 1.0;
  for (int64_t i = 0; i < life; ++i) {
    double drop = 1.0 + 0.3 * std::exp(-i / (0.01 * rate));
    float toneValue = 0.6f * low.sine(s.pitch * drop / rate) + 0.35f * high.sine(s.pitch * 1.62 * drop / rate);
    float noiseValue = noiseLow.lowpass(noiseHigh.highpass(random.bipolar()));
    float value = (toneValue * static_cast<float>(toneLevel) * (1.2f - s.snap * 0.6f) +
                   noiseValue * static_cast<float>(noiseLevel) * s.snap * 1.6f) * e.velocity;
    w.add(e.start + i, value, value);
    noiseLevel *= noiseDecay;
    toneLevel *= toneDecay;
  }
}

void clap(const instrumentSettings& s, const noteEvent& e, randomSource& random, const windowWriter& w) {
  const double rate = sampleRate;
  const double burstGap = 0.009;
  const int64_t life = static_cast<int64_t>((s.decay * 2.5 + 4 * burstGap) * rate);
  if (w.misses(e.start, life)) return;
  stateVariableFilter left, right;
  left.tune(s.tone, 0.35, rate);
  right.tune(s.tone * 1.08, 0.35, rate);
  randomSource other(static_cast<uint32_t>(random.uniform() * 4294967295.0f));
  for (int64_t i = 0; i < life; ++i) {
    double t = i / rate;
    // Three quick slaps, then the last one rings with the room tail.
    double level = 0.0;
    for (int burst = 0; burst < 3; ++burst) {
      double since = t - burst * burstGap;
      if (since >= 0.0) level = std::max(level, std::exp(-since / 0.0035));
    }
    double since = t - 3 * burstGap;
    if (since >= 0.0) level = std::max(level, std::exp(-3.0 * since / s.decay));
    float gain = static_cast<float>(level) * e.velocity * 2.2f * s.snap;
    w.add(e.start + i, left.bandpass(random.bipolar()) * gain, right.bandpass(other.bipolar()) * gain);
  }
}

// Six detuned square waves like an analogue cymbal, into a band filter.
void metal(const instrumentSettings& s, const noteEvent& e, randomSource& random, const windowWriter& w,
           bool crash) {
  const double rate = sampleRate;
  const int64_t life = static_cast<int64_t>(s.decay * 2.5 * rate);
  if (w.misses(e.start, life)) return;
  static const double ratios[6] = {1.0, 1.4827, 1.8003, 2.5460, 2.6302, 3.8967};
  double phases[6], increments[6];
  for (int k = 0; k < 6; ++k) {
    phases[k] = random.uniform();
    increments[k] = s.pitch * 2.0 * ratios[k] / rate;
  }
  randomSource other(static_cast<uint32_t>(random.uniform() * 4294967295.0f));
  stateVariableFilter bandLeft, bandRight, highLeft, highRight;
  bandLeft.tune(s.tone, 0.3, rate);
  bandRight.tune(s.tone * 1.05, 0.3, rate);
  highLeft.tune(s.tone * 0.7, 0.0, rate);
  highRight.tune(s.tone * 0.7, 0.0, rate);
  const double coefficient = decayCoefficient(s.decay);
  double level = 1.0;
  const double attack = (crash ? 0.004 : 0.0008) * rate;
  for (int64_t i = 0; i < life; ++i) {
    float tone = 0.0f;
    for (int k = 0; k < 6; ++k) {
      phases[k] += increments[k];
      if (phases[k] >= 1.0) phases[k] -= 1.0;
      tone += phases[k] < 0.5 ? 1.0f : -1.0f;
    }
    tone *= (1.0f - std::min(s.snap, 1.0f)) * 0.3f;
    float noiseLeft = random.bipolar() * s.snap;
    float noiseRight = crash ? other.bipolar() * s.snap : noiseLeft;
    float left = highLeft.highpass(bandLeft.bandpass(tone + noiseLeft) * 2.0f + noiseLeft * 0.3f);
    float right = highRight.highpass(bandRight.bandpass(tone + noiseRight) * 2.0f + noiseRight * 0.3f);
    float gain = static_cast<float>(level * std::min(1.0, i / attack)) * e.velocity;
    w.add(e.start + i, left * gain, right * gain);
    level *= coefficient;
  }
}

void shaker(const instrumentSettings& s, const noteEvent& e, randomSource& random, const windowWriter& w) {
  const double rate = sampleRate;
  const int64_t life = static_cast<int64_t>((s.decay * 2.5 + 0.01) * rate);
  if (w.misses(e.start, life)) return;
  stateVariableFilter band;
  band.tune(s.tone, 0.4, rate);
  const double attack = 0.008 * rate;
  const double coefficient = decayCoefficient(s.decay);
  double level = 1.0;
  for (int64_t i = 0; i < life; ++i) {
    float value = band.bandpass(random.bipolar()) * static_cast<float>(level * std::min(1.0, i / attack)) * e.velocity * 1.5f;
    w.add(e.start + i, value, value);
    if (i >= attack) level *= coefficient;
  }
}

// A noise sweep that climbs from `pitch` to `tone` Hz over the note and
// swells into its end.
void riser(const instrumentSettings& s, const noteEvent& e, randomSource& random, const windowWriter& w) {
  const double rate = sampleRate;
  const int64_t fade = static_cast<int64_t>(0.02 * rate);
  const int64_t life = e.length + fade;
  if (w.misses(e.start, life)) return;
  randomSource other(static_cast<uint32_t>(random.uniform() * 4294967295.0f));
  stateVariableFilter left, right;
  const double ratio = std::log2(s.tone / s.pitch);
  for (int64_t i = 0; i < life; ++i) {
    double progress = std::min(1.0, static_cast<double>(i) / static_cast<double>(e.length));
    if (i % 16 == 0) {
      double centre = s.pitch * std::pow(2.0, ratio * progress);
      left.tune(centre, 0.55, rate);
      right.tune(centre * 1.03, 0.55, rate);
    }
    double level = std::pow(progress, 1.6);
    if (i >= e.length) level *= 1.0 - static_cast<double>(i - e.length) / fade;
    float gain = static_cast<float>(level) * e.velocity * 2.0f;
    w.add(e.start + i, left.bandpass(random.bipolar()) * gain, right.bandpass(other.bipolar()) * gain);
  }
}

}  // namespace

void renderDrumHit(instrumentKind kind, const instrumentSettings& settings, const trackPlan&, const noteEvent& event,
                   uint32_t seed, int64_t windowStart, stereoBuffer& out) {
  randomSource random(seed);
  windowWriter writer{windowStart, out};
  switch (kind) {
    case instrumentKind::kick: kick(settings, event, random, writer); break;
    case instrumentKind::snare: snare(settings, event, random, writer); break;
    case instrumentKind::clap: clap(settings, event, random, writer); break;
    case instrumentKind::hat: metal(settings, event, random, writer, false); break;
    case instrumentKind::crash: metal(settings, event, random, writer, true); break;
    case instrumentKind::shaker: shaker(settings, event, random, writer); break;
    case instrumentKind::riser: riser(settings, event, random, writer); break;
    case instrumentKind::synth: break;
  }
}

}  // namespace songsynth
