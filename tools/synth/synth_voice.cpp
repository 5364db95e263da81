#include <algorithm>
#include <cmath>

#include "music_theory.h"
#include "voices.h"

namespace songsynth {

namespace {

constexpr int controlInterval = 16;  // samples between filter and pitch updates
constexpr int maxUnison = 16;

// Fills `out` with `count` samples of one oscillator; the switch sits
// outside the loop so each waveform's loop stays tight.
void addOscillator(oscillator& osc, waveform shape, double increment, randomSource& noise, float level, float* out,
                   int count) {
  switch (shape) {
    case waveform::sine:
      for (int k = 0; k < count; ++k) out[k] += level * osc.sine(increment);
      break;
    case waveform::triangle:
      for (int k = 0; k < count; ++k) out[k] += level * osc.triangle(increment);
      break;
    case waveform::saw:
      for (int k = 0; k < count; ++k) out[k] += level * osc.saw(increment);
      break;
    case waveform::square:
      for (int k = 0; k < count; ++k) out[k] += level * osc.square(increment);
      break;
    case waveform::noise:
      for (int k = 0; k < count; ++k) out[k] += level * noise.bipolar();
      break;
  }
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

  double detuneRatio[maxUnison];
  for (int u = 0; u < unison; ++u) detuneRatio[u] = std::pow(2.0, detune[u] / 1200.0);
  const double secondRatio = std::pow(2.0, s.osc2Semitones / 12.0);
  double increments[maxUnison], secondIncrements[maxUnison];
  float currentNote = event.glideFrom >= 0.0f ? event.glideFrom : event.note;
  const double glideCoefficient = s.glide > 0.0f ? std::exp(-controlInterval / (s.glide * rate / 3.0)) : 0.0;
  const float cutoffScale = std::pow(2.0f, s.keytrack * (event.note - 60.0f) / 12.0f);
  // Notes end once their release is 70 dB down.
  const float silent = 3e-4f;

  for (int64_t blockStart = 0; blockStart < maxLife; blockStart += controlInterval) {
    const int count = static_cast<int>(std::min<int64_t>(controlInterval, maxLife - blockStart));
    const int64_t sample = event.start + blockStart;
    currentNote = static_cast<float>(event.note + (currentNote - event.note) * glideCoefficient);
    double vibratoOffset = 0.0;
    if (s.vibratoDepth > 0.0f) {
      double fadeIn = std::min(1.0, blockStart / (0.4 * rate));
      vibratoOffset = s.vibratoDepth * fadeIn * vibrato.sine(s.vibratoRate * controlInterval / rate);
    }
    const double base = noteFrequency(currentNote + vibratoOffset) / rate;
    for (int u = 0; u < unison; ++u) {
      increments[u] = std::min(0.49, base * detuneRatio[u]);
      secondIncrements[u] = std::min(0.49, increments[u] * secondRatio);
    }
    const double cutoff = plan.cutoff.valueAt(sample) * cutoffScale * std::pow(2.0, s.envelopeOctaves * filterEnvelope.level());
    const double resonance = plan.resonance.valueAt(sample);
    filterLeft.tune(cutoff, resonance, rate);
    filterRight.tune(cutoff, resonance, rate);

    float left[controlInterval] = {}, right[controlInterval] = {}, centre[controlInterval] = {};
    for (int u = 0; u < unison; ++u) {
      float voice[controlInterval] = {};
      addOscillator(main[u], s.osc1, increments[u], random, 1.0f, voice, count);
      if (s.osc2Level > 0.0f) addOscillator(second[u], s.osc2, secondIncrements[u], random, s.osc2Level, voice, count);
      for (int k = 0; k < count; ++k) {
        left[k] += voice[k] * gainLeft[u];
        right[k] += voice[k] * gainRight[u];
      }
    }
    if (s.subLevel > 0.0f) addOscillator(sub, waveform::sine, base * 0.5, random, s.subLevel, centre, count);
    if (s.noiseLevel > 0.0f) addOscillator(sub, waveform::noise, 0.0, random, s.noiseLevel, centre, count);

    bool finished = false;
    for (int k = 0; k < count; ++k) {
      const bool gate = blockStart + k < event.length;
      filterEnvelope.next(gate);
      const float level = amp.next(gate);
      float outLeft = filtered(filterLeft, s.filter, left[k] + centre[k]);
      float outRight = filtered(filterRight, s.filter, right[k] + centre[k]);
      if (s.drive > 0.0f) {
        outLeft = std::tanh(outLeft * driveAmount) * driveNormal;
        outRight = std::tanh(outRight * driveAmount) * driveNormal;
      }
      const int64_t at = sample + k;
      if (at >= windowStart && at < windowEnd) {
        const float gain = level * event.velocity;
        out.left[at - windowStart] += outLeft * gain;
        out.right[at - windowStart] += outRight * gain;
      }
      finished = !gate && level < silent;
    }
    if (finished) break;
  }
}

}  // namespace songsynth
