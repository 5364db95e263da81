#include "song_renderer.h"

#include <algorithm>
#include <cmath>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

#include "arrangement.h"
#include "effects.h"
#include "voices.h"

namespace songsynth {

namespace {

constexpr int controlInterval = 64;  // samples between gain and send updates

// How far each frame is pulled down by the kick: 0 (not at all) to 1.
std::vector<float> duckingCurve(const song& music, const std::vector<trackPlan>& plans, int64_t windowStart,
                                size_t frames) {
  std::vector<float> curve(frames, 0.0f);
  const int64_t attack = static_cast<int64_t>(0.004 * sampleRate);
  const int64_t release = static_cast<int64_t>(music.master.duckRelease * sampleRate);
  for (size_t i = 0; i < plans.size(); ++i) {
    if (music.instruments[i].kind != instrumentKind::kick) continue;
    for (const noteEvent& hit : plans[i].notes) {
      for (int64_t t = 0; t < attack + release; ++t) {
        int64_t index = hit.start + t - windowStart;
        if (index < 0) continue;
        if (index >= static_cast<int64_t>(frames)) break;
        float shape;
        if (t < attack) {
          shape = static_cast<float>(t) / static_cast<float>(attack);
        } else {
          float left = 1.0f - static_cast<float>(t - attack) / static_cast<float>(release);
          shape = left * left;
        }
        curve[index] = std::max(curve[index], shape);
      }
    }
  }
  return curve;
}

// Flushes denormal floats to zero while it lives: reverb and filter tails
// decaying into denormals would otherwise slow rendering a hundredfold.
class denormalGuard {
 public:
#if defined(__SSE__)
  denormalGuard() : saved_(_mm_getcsr()) { _mm_setcsr(saved_ | 0x8040); }
  ~denormalGuard() { _mm_setcsr(saved_); }

 private:
  unsigned int saved_;
#endif
};

uint32_t voiceSeed(uint32_t songSeed, size_t instrumentIndex, size_t noteIndex) {
  return songSeed * 1000003u + static_cast<uint32_t>(instrumentIndex) * 7919u +
         static_cast<uint32_t>(noteIndex) * 104729u;
}

void renderTrack(const instrument& player, const trackPlan& plan, uint32_t songSeed, size_t instrumentIndex,
                 int64_t windowStart, stereoBuffer& track) {
  std::fill(track.left.begin(), track.left.end(), 0.0f);
  std::fill(track.right.begin(), track.right.end(), 0.0f);
  for (size_t n = 0; n < plan.notes.size(); ++n) {
    uint32_t seed = voiceSeed(songSeed, instrumentIndex, n);
    if (player.kind == instrumentKind::synth) {
      renderSynthNote(player.settings, plan, plan.notes[n], seed, windowStart, track);
    } else {
      renderDrumHit(player.kind, player.settings, plan, plan.notes[n], seed, windowStart, track);
    }
  }
  applyChorus(track, player.settings.chorus);
}

// Adds a rendered track into the mix and the sends, with its gain, stereo
// width, pan and ducking; leaves in `track` what it added to the mix.
void mixTrack(const instrumentSettings& s, const trackPlan& plan, stereoBuffer& track,
              const std::vector<float>& ducking, int64_t windowStart, stereoBuffer& mix, stereoBuffer& reverbSend,
              stereoBuffer& delaySend) {
  float panLeft, panRight;
  panGains(s.pan, panLeft, panRight);
  float gain = 0.0f, reverb = 0.0f, delay = 0.0f;
  for (size_t i = 0; i < track.frames(); ++i) {
    if (i % controlInterval == 0) {
      int64_t sample = windowStart + static_cast<int64_t>(i);
      gain = decibelsToGain(plan.gainDb.valueAt(sample));
      reverb = plan.reverb.valueAt(sample);
      delay = plan.delay.valueAt(sample);
    }
    float mid = (track.left[i] + track.right[i]) * 0.5f;
    float side = (track.left[i] - track.right[i]) * 0.5f * s.width;
    float g = gain * (1.0f - s.duck * ducking[i]);
    float left = (mid + side) * panLeft * g;
    float right = (mid - side) * panRight * g;
    mix.left[i] += left;
    mix.right[i] += right;
    reverbSend.left[i] += left * reverb;
    reverbSend.right[i] += right * reverb;
    delaySend.left[i] += left * delay;
    delaySend.right[i] += right * delay;
    track.left[i] = left;
    track.right[i] = right;
  }
}

std::vector<double> powerPerBar(const song& music, const stereoBuffer& track, int firstBar, int lastBar) {
  std::vector<double> powers;
  const int64_t origin = stepStartSample(music, static_cast<int64_t>(firstBar) * music.stepsPerBar, false);
  for (int bar = firstBar; bar <= lastBar; ++bar) {
    size_t start = static_cast<size_t>(stepStartSample(music, static_cast<int64_t>(bar) * music.stepsPerBar, false) - origin);
    size_t end = static_cast<size_t>(stepStartSample(music, static_cast<int64_t>(bar + 1) * music.stepsPerBar, false) - origin);
    double sum = 0.0;
    for (size_t i = start; i < end; ++i) sum += 0.5 * (track.left[i] * track.left[i] + track.right[i] * track.right[i]);
    powers.push_back(sum / static_cast<double>(end - start));
  }
  return powers;
}

}  // namespace

stereoBuffer renderMix(const song& music, int firstBar, int lastBar, std::vector<std::vector<double>>* barPower) {
  denormalGuard flushDenormals;
  const int64_t windowStart = stepStartSample(music, static_cast<int64_t>(firstBar) * music.stepsPerBar, false);
  const int64_t windowEnd = stepStartSample(music, static_cast<int64_t>(lastBar + 1) * music.stepsPerBar, false);
  const size_t frames = static_cast<size_t>(windowEnd - windowStart);

  const std::vector<trackPlan> plans = planTracks(music);
  const std::vector<float> ducking = duckingCurve(music, plans, windowStart, frames);
  stereoBuffer mix(frames), reverbSend(frames), delaySend(frames), track(frames);
  for (size_t i = 0; i < plans.size(); ++i) {
    renderTrack(music.instruments[i], plans[i], music.seed, i, windowStart, track);
    mixTrack(music.instruments[i].settings, plans[i], track, ducking, windowStart, mix, reverbSend, delaySend);
    if (barPower != nullptr) barPower->push_back(powerPerBar(music, track, firstBar, lastBar));
  }

  const masterSettings& m = music.master;
  stereoBuffer echoes = pingPongDelayOf(delaySend, m.delaySteps * music.samplesPerStep(), m.delayFeedback, m.delayTone);
  for (size_t i = 0; i < frames; ++i) {
    reverbSend.left[i] += echoes.left[i] * 0.3f;
    reverbSend.right[i] += echoes.right[i] * 0.3f;
  }
  stereoBuffer room = reverbOf(reverbSend, m.reverbSize, m.reverbDamping, m.reverbPredelay, m.reverbWidth);
  if (barPower != nullptr) {
    barPower->push_back(powerPerBar(music, echoes, firstBar, lastBar));
    barPower->push_back(powerPerBar(music, room, firstBar, lastBar));
  }
  stateVariableFilter lowCutLeft, lowCutRight;
  lowCutLeft.tune(22.0, 0.0, sampleRate);
  lowCutRight.tune(22.0, 0.0, sampleRate);
  for (size_t i = 0; i < frames; ++i) {
    mix.left[i] = lowCutLeft.highpass(mix.left[i] + echoes.left[i] + room.left[i]);
    mix.right[i] = lowCutRight.highpass(mix.right[i] + echoes.right[i] + room.right[i]);
  }
  return mix;
}

}  // namespace songsynth
