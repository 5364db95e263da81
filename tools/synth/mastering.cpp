#include "mastering.h"

#include <algorithm>
#include <cmath>

#include "limiter.h"
#include "loudness_meter.h"

namespace songsynth {

masteringReport masterMix(stereoBuffer& mix, const masterSettings& settings) {
  masteringReport report;
  // The fade comes first, so the loudness is measured on what is heard;
  // the limiter only ever lowers gain, so the silent end stays silent.
  const size_t fadeFrames = std::min(mix.frames(), static_cast<size_t>(settings.fadeOut * sampleRate));
  const size_t fadeStart = mix.frames() - fadeFrames;
  for (size_t i = fadeStart; i < mix.frames(); ++i) {
    double progress = static_cast<double>(i - fadeStart + 1) / static_cast<double>(fadeFrames);
    float gain = static_cast<float>(0.5 + 0.5 * std::cos(pi * progress));
    mix.left[i] *= gain;
    mix.right[i] *= gain;
  }
  report.mixLoudness = integratedLoudness(mix, sampleRate);
  const std::vector<float> peaks = truePeakEnvelope(mix);
  limiterSettings limiting;
  limiting.ceiling = decibelsToGain(settings.ceiling);

  double gainDb = std::isfinite(report.mixLoudness) ? settings.loudness - report.mixLoudness : 0.0;
  stereoBuffer mastered;
  float smallest = 1.0f;
  for (int round = 0; round < 6; ++round) {
    mastered = limit(mix, decibelsToGain(static_cast<float>(gainDb)), peaks, limiting, &smallest);
    report.gainDb = gainDb;
    report.loudness = integratedLoudness(mastered, sampleRate);
    if (!std::isfinite(report.loudness)) break;
    double miss = settings.loudness - report.loudness;
    if (std::fabs(miss) < 0.02) break;
    gainDb += miss;
  }
  report.deepestLimitingDb = 20.0 * std::log10(std::max(smallest, 1e-9f));

  std::vector<float> finalPeaks = truePeakEnvelope(mastered);
  float truePeak = finalPeaks.empty() ? 0.0f : *std::max_element(finalPeaks.begin(), finalPeaks.end());
  report.truePeakDb = 20.0 * std::log10(std::max(truePeak, 1e-9f));
  mix = std::move(mastered);
  return report;
}

}  // namespace songsynth
