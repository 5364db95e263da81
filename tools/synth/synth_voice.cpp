#include <algorithm>
#include <cmath>

#include "music_theory.h"
#include "voices.h"

namespace songsynth {

namespace {

constexpr int controlInterval = 16;  // samples between filter and pitch updates
constexpr int maxUnison = 16;

float oscillatorSample(oscillator& osc, waveform shape, double increment, randomSource& noise) {
  switch (shape) {
    case waveform::sine: return osc.sine(increment);
    case waveform::triangle: return osc.triangle(increment);
    case waveform::saw: return osc.saw(increment);
    case waveform::square: return osc.square(increment);
    case waveform::noise: return noise.bipolar();
  }
  return 0.0f;
}

float filtered(stateVariableFilter& filter, filterMode mode, float input) {
  stateVariableFilter::outputs result = filter.process(input);
  switch (mode) {
    case filterMode::lowpass: return result.low;
    case filterMode::bandpass: return result.band;
    case filterMode::highpass: return result.high;
  }
  return result.low;
}

}  // namespace

void renderSynthNote(const instrumentSettings& s, const trackPlan& plan, const noteEvent& event, uint32_t seed,
                     int64_t windowStart, stereoBuffer& out) {
  const double rate = sampleRate;
  const int64_t windowEnd = windowStart + static_cast<int64_t>(out.frames());
  const int64_t maxLife = event.length + static_cast<int64_t>((s.release * 4.0 + 0.05) * rate);
  if (event.start + maxLife <= windowStart || event.start >= windowEnd) return;

  randomSource random(seed);
  const int unison = std::min(s.unison, maxUnison);
  oscillator main[maxUnison], second[maxUnison];
  float detune[maxUnison], gainLeft[maxUnison], gainRight[maxUnison];
  const float voiceScale = 1.0f / std::sqrt(static_cast<float>(unison));
  for (int u = 0; u < unison; ++u) {
    float position = unison == 1 ? 0.0f : static_cast<float>(u) / (unison - 1) * 2.0f - 1.0f;
    detune[u] = position * s.detuneCents * 0.5f;
    // Alternate sides so neighbouring detunings do not bunch on one side.
    float pan = position * s.stereoSpread * ((u & 1) ? -1.0f : 1.0f);
    gainLeft[u] = std::sqrt(0.5f * (1.0f - pan)) * voiceScale * 1.41421356f;
    gainRight[u] = std::sqrt(0.5f * (1.0f + pan)) * voiceScale * 1.41421356f;
    main[u].setPhase(random.uniform());
    second[u].setPhase(random.uniform());
  }
  oscillator sub;
  oscillator vibrato;
  stateVariableFilter filterLeft, filterRight;
  envelope amp(s.attack, s.decay, s.sustain, s.release, rate);
  envelope filterEnvelope(s.filterAttack, s.filterDecay, s.filterSustain, s.filterRelease, rate);
  const float driveAmount = 1.0f + s.drive * 6.0f;
  const float driveNormal = 1.0f / std::tanh(driveAmount);

  double increments[maxUnison], secondIncrements[maxUnison], subIncrement = 0.0;
  float currentNote = event.glideFrom >= 0.0f ? event.glideFrom : event.note;
  const double glideCoefficient = s.glide > 0.0f ? std::exp(-controlInterval / (s.glide * rate / 3.0)) : 0.0;
  float filterLevel = 0.0f;
  float cutoffScale = std::pow(2.0f, s.keytrack * (event.note - 60.0f) / 12.0f);

  for (int64_t i = 0; i < maxLife; ++i) {
    const int64_t sample = event.start + i;
    const bool gate = i < event.length;
    if (i % controlInterval == 0) {
      currentNote = static_cast<float>(event.note + (currentNote - event.note) * glideCoefficient);
      double vibratoOffset = 0.0;
      if (s.vibratoDepth > 0.0f) {
        double fadeIn = std::min(1.0, i / (0.4 * rate));
        vibratoOffset = s.vibratoDepth * fadeIn * vibrato.sine(s.vibratoRate * controlInterval / rate);
      }
      double base = noteFrequency(currentNote + vibratoOffset) / rate;
      for (int u = 0; u < unison; ++u) {
        increments[u] = std::min(0.49, base * std::pow(2.0, detune[u] / 1200.0));
        secondIncrements[u] = std::min(0.49, increments[u] * std::pow(2.0, s.osc2Semitones / 12.0));
      }
      subIncrement = base * 0.5;
      double cutoff = plan.cutoff.valueAt(sample) * cutoffScale * std::pow(2.0, s.envelopeOctaves * filterLevel);
      double resonance = plan.resonance.valueAt(sample);
      filterLeft.tune(cutoff, resonance, rate);
      filterRight.tune(cutoff, resonance, rate);
    }
    filterLevel = filterEnvelope.next(gate);
    const float level = amp.next(gate);
    if (!gate && level < 1e-4f) break;

    float left = 0.0f, right = 0.0f;
    for (int u = 0; u < unison; ++u) {
      float value = oscillatorSample(main[u], s.osc1, increments[u], random);
      if (s.osc2Level > 0.0f) value += s.osc2Level * oscillatorSample(second[u], s.osc2, secondIncrements[u], random);
      left += value * gainLeft[u];
      right += value * gainRight[u];
    }
    float centre = 0.0f;
    if (s.subLevel > 0.0f) centre += s.subLevel * sub.sine(subIncrement);
    if (s.noiseLevel > 0.0f) centre += s.noiseLevel * random.bipolar();
    left = filtered(filterLeft, s.filter, left + centre);
    right = filtered(filterRight, s.filter, right + centre);
    if (s.drive > 0.0f) {
      left = std::tanh(left * driveAmount) * driveNormal;
      right = std::tanh(right * driveAmount) * driveNormal;
    }
    if (sample >= windowStart && sample < windowEnd) {
      const float gain = level * event.velocity;
      out.left[sample - windowStart] += left * gain;
      out.right[sample - windowStart] += right * gain;
    }
  }
}

}  // namespace songsynth
