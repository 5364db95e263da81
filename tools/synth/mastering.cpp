#include "mastering.h"

#include <algorithm>
#include <cmath>

#include "limiter.h"
#include "loudness_meter.h"

namespace songsynth {

masteringReport masterMix(stereoBuffer& mix, const masterSettings& settings) {
  masteringReport report;
  report.mixLoudness = integratedLoudness(mix, sampleRate);
  const std::vector<float> peaks = truePeakEnvelope(mix);
  limiterSettings limiting;
  limiting.ceiling = decibelsToGain(settings.ceiling);

  double gainDb = std::isfinite(report.mixLoudness) ? settings.loudness - report.mixLoudness : 0.0;
  stereoBuffer mastered;
  float smallest = 1.0f;
  for (int round = 0; round < 6; ++round) {
    mastered = limit(mix, decibelsToGain(static_cast<float>(gainDb)), peaks, limiting, &smallest);
    report.loudness = integratedLoudness(mastered, sampleRate);
    if (!std::isfinite(report.loudness)) break;
    double miss = settings.loudness - report.loudness;
    if (std::fabs(miss) < 0.02) break;
    gainDb += miss;
  }
  report.gainDb = gainDb;
  report.deepestLimitingDb = 20.0 * std::log10(std::max(smallest, 1e-9f));

  const size_t fadeFrames = std::min(mastered.frames(), static_cast<size_t>(settings.fadeOut * sampleRate));
  const size_t fadeStart = mastered.frames() - fadeFrames;
  for (size_t i = fadeStart; i < mastered.frames(); ++i) {
    double progress = static_cast<double>(i - fadeStart + 1) / static_cast<double>(fadeFrames);
    float gain = static_cast<float>(0.5 + 0.5 * std::cos(pi * progress));
    mastered.left[i] *= gain;
    mastered.right[i] *= gain;
  }
  report.loudness = integratedLoudness(mastered, sampleRate);
  std::vector<float> finalPeaks = truePeakEnvelope(mastered);
  float truePeak = finalPeaks.empty() ? 0.0f : *std::max_element(finalPeaks.begin(), finalPeaks.end());
  report.truePeakDb = 20.0 * std::log10(std::max(truePeak, 1e-9f));
  mix = std::move(mastered);
  return report;
}

}  // namespace songsynth
