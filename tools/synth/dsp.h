#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

// Small signal-processing building blocks shared by the voices and effects.
// All are plain value types with no allocation in their per-sample calls.

namespace songsynth {

constexpr double pi = 3.14159265358979323846;

// A fixed linear congruential generator, so every render is the same.
class randomSource {
 public:
  explicit randomSource(uint32_t seed) : state_(seed * 2654435761u + 12345u) {}
  // Uniform in [0, 1).
  float uniform() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<float>(state_ >> 8) * (1.0f / 16777216.0f);
  }
  // Uniform in [-1, 1).
  float bipolar() { return uniform() * 2.0f - 1.0f; }

 private:
  uint32_t state_;
};

// Band-limited oscillator: PolyBLEP corrections on the saw and square
// discontinuities keep aliasing down at synth pitches.
class oscillator {
 public:
  void setPhase(double phase) { phase_ = phase - std::floor(phase); }
  // `increment` is frequency / sample rate and must stay below 0.5.
  float saw(double increment) {
    float value = static_cast<float>(2.0 * phase_ - 1.0 - blep(phase_, increment));
    advance(increment);
    return value;
  }
  float square(double increment) {
    double shifted = phase_ + 0.5;
    if (shifted >= 1.0) shifted -= 1.0;
    float value = static_cast<float>((phase_ < 0.5 ? 1.0 : -1.0) + blep(phase_, increment) - blep(shifted, increment));
    advance(increment);
    return value;
  }
  float triangle(double increment) {
    float value = static_cast<float>(1.0 - 4.0 * std::fabs(phase_ - 0.5));
    advance(increment);
    return value;
  }
  float sine(double increment) {
    float value = static_cast<float>(std::sin(2.0 * pi * phase_));
    advance(increment);
    return value;
  }

 private:
  void advance(double increment) {
    phase_ += increment;
    if (phase_ >= 1.0) phase_ -= 1.0;
  }
  static double blep(double t, double dt) {
    if (t < dt) {
      t /= dt;
      return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
      t = (t - 1.0) / dt;
      return t * t + t + t + 1.0;
    }
    return 0.0;
  }
  double phase_ = 0.0;
};

// State-variable filter in trapezoidal form: stable under fast cutoff
// changes, with resonance up to near self-oscillation.
class stateVariableFilter {
 public:
  // `cutoff` in Hz (kept below 0.45 of the sample rate), `resonance` 0..1.
  void tune(double cutoff, double resonance, double rate) {
    double limited = std::fmin(std::fmax(cutoff, 10.0), rate * 0.45);
    double g = std::tan(pi * limited / rate);
    k_ = 2.0 - 1.96 * std::fmin(std::fmax(resonance, 0.0), 1.0);
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
  }
  struct outputs {
    float low, band, high;
  };
  outputs process(float input) {
    double v3 = input - ic2_;
    double v1 = a1_ * ic1_ + a2_ * v3;
    double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {static_cast<float>(v2), static_cast<float>(v1), static_cast<float>(input - k_ * v1 - v2)};
  }
  float lowpass(float input) { return process(input).low; }
  float highpass(float input) { return process(input).high; }
  float bandpass(float input) { return process(input).band; }

 private:
  double k_ = 2.0, a1_ = 1.0, a2_ = 0.0, a3_ = 0.0;
  double ic1_ = 0.0, ic2_ = 0.0;
};

// One-pole smoother / lowpass.
class onePole {
 public:
  void setCutoff(double cutoff, double rate) { coefficient_ = 1.0 - std::exp(-2.0 * pi * cutoff / rate); }
  float process(float input) {
    state_ += coefficient_ * (input - state_);
    return static_cast<float>(state_);
  }

 private:
  double coefficient_ = 1.0;
  double state_ = 0.0;
};

// Attack-decay-sustain-release envelope. Attack is linear; decay and
// release are exponential, reaching about 5% of the way left in their time.
class envelope {
 public:
  envelope(float attack, float decay, float sustain, float release, double rate)
      : attackStep_(attack > 0 ? 1.0 / (attack * rate) : 1.0),
        decayCoefficient_(std::exp(-3.0 / (std::fmax(decay, 1e-4f) * rate))),
        releaseCoefficient_(std::exp(-3.0 / (std::fmax(release, 1e-4f) * rate))),
        sustain_(sustain) {}
  // Next level; `gate` false starts the release.
  float next(bool gate) {
    if (!gate) {
      level_ *= releaseCoefficient_;
    } else if (attacking_) {
      level_ += attackStep_;
      if (level_ >= 1.0) {
        level_ = 1.0;
        attacking_ = false;
      }
    } else {
      level_ = sustain_ + (level_ - sustain_) * decayCoefficient_;
    }
    return static_cast<float>(level_);
  }
  float level() const { return static_cast<float>(level_); }

 private:
  double attackStep_, decayCoefficient_, releaseCoefficient_, sustain_;
  double level_ = 0.0;
  bool attacking_ = true;
};

// Converts decibels to a linear factor.
inline float decibelsToGain(float decibels) { return std::pow(10.0f, decibels / 20.0f); }

// Equal-power pan: -1 left, +1 right.
inline void panGains(float pan, float& left, float& right) {
  double angle = (std::fmin(std::fmax(pan, -1.0f), 1.0f) + 1.0) * pi / 4.0;
  left = static_cast<float>(std::cos(angle) * std::sqrt(2.0));
  right = static_cast<float>(std::sin(angle) * std::sqrt(2.0));
}

struct stereoBuffer {
  std::vector<float> left, right;
  explicit stereoBuffer(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
  size_t frames() const { return left.size(); }
};

}  // namespace songsynth
