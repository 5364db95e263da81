#include "loudness_meter.h"

#include <cmath>
#include <limits>

namespace songsynth {

namespace {

struct biquad {
  double b0, b1, b2, a1, a2;
  double z1 = 0.0, z2 = 0.0;
  double process(double x) {
    double y = b0 * x + z1;
    z1 = b1 * x - a1 * y + z2;
    z2 = b2 * x - a2 * y;
    return y;
  }
};

// The two K-weighting stages from their analogue prototypes (shelf at about
// 1.68 kHz, +4 dB; high-pass at about 38 Hz), matched to `rate`.
void kWeightingStages(double rate, biquad& shelf, biquad& highPass) {
  const double shelfFrequency = 1681.974450955533;
  const double shelfGain = 3.999843853973347;
  const double shelfQ = 0.7071752369554196;
  double k = std::tan(pi * shelfFrequency / rate);
  double vh = std::pow(10.0, shelfGain / 20.0);
  double vb = std::pow(vh, 0.4996667741545416);
  double a0 = 1.0 + k / shelfQ + k * k;
  shelf = {(vh + vb * k / shelfQ + k * k) / a0, 2.0 * (k * k - vh) / a0, (vh - vb * k / shelfQ + k * k) / a0,
           2.0 * (k * k - 1.0) / a0, (1.0 - k / shelfQ + k * k) / a0};

  const double highPassFrequency = 38.13547087602444;
  const double highPassQ = 0.5003270373238773;
  k = std::tan(pi * highPassFrequency / rate);
  a0 = 1.0 + k / highPassQ + k * k;
  highPass = {1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / highPassQ + k * k) / a0};
}

// Sum over both channels of the K-weighted energy in each 100 ms step.
std::vector<double> stepEnergies(const stereoBuffer& audio, double rate, size_t step) {
  std::vector<double> energies(audio.frames() / step, 0.0);
  const std::vector<float>* channels[2] = {&audio.left, &audio.right};
  for (const std::vector<float>* channel : channels) {
    biquad shelf{}, highPass{};
    kWeightingStages(rate, shelf, highPass);
    for (size_t s = 0; s < energies.size(); ++s) {
      double sum = 0.0;
      for (size_t i = s * step; i < (s + 1) * step; ++i) {
        double y = highPass.process(shelf.process((*channel)[i]));
        sum += y * y;
      }
      energies[s] += sum;
    }
  }
  return energies;
}

double loudnessOf(double meanSquare) { return -0.691 + 10.0 * std::log10(meanSquare); }

// Mean square (channels summed) of every 400 ms block.
std::vector<double> blockMeanSquares(const stereoBuffer& audio, double rate) {
  const size_t step = static_cast<size_t>(std::lround(rate * 0.1));
  std::vector<double> energies = stepEnergies(audio, rate, step);
  std::vector<double> blocks;
  for (size_t s = 0; s + 4 <= energies.size(); ++s) {
    blocks.push_back((energies[s] + energies[s + 1] + energies[s + 2] + energies[s + 3]) / (4.0 * step));
  }
  return blocks;
}

}  // namespace

std::vector<double> blockLoudness(const stereoBuffer& audio, double rate) {
  std::vector<double> loudness;
  for (double meanSquare : blockMeanSquares(audio, rate)) loudness.push_back(loudnessOf(meanSquare));
  return loudness;
}

double integratedLoudness(const stereoBuffer& audio, double rate) {
  std::vector<double> blocks = blockMeanSquares(audio, rate);
  const double absoluteGate = -70.0;
  double sum = 0.0;
  size_t count = 0;
  for (double z : blocks) {
    if (loudnessOf(z) > absoluteGate) {
      sum += z;
      ++count;
    }
  }
  if (count == 0) return -std::numeric_limits<double>::infinity();
  const double relativeGate = loudnessOf(sum / count) - 10.0;
  sum = 0.0;
  count = 0;
  for (double z : blocks) {
    double level = loudnessOf(z);
    if (level > absoluteGate && level > relativeGate) {
      sum += z;
      ++count;
    }
  }
  if (count == 0) return -std::numeric_limits<double>::infinity();
  return loudnessOf(sum / count);
}

}  // namespace songsynth
