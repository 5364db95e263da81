#include "arrangement.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"
#include "music_theory.h"

namespace songsynth {

void automationLane::addRamp(int64_t start, int64_t end, float from, float to) {
  segments_.push_back({start, std::max(end, start + 1), from, to});
}

float automationLane::valueAt(int64_t sample) const {
  // Later ramps win where ramps overlap.
  for (auto it = segments_.rbegin(); it != segments_.rend(); ++it) {
    if (sample >= it->start && sample < it->end) {
      double t = static_cast<double>(sample - it->start) / static_cast<double>(it->end - it->start);
      return static_cast<float>(it->from + (it->to - it->from) * t);
    }
  }
  return base_;
}

int64_t stepStartSample(const song& music, int64_t step, bool swung) {
  double position = static_cast<double>(step);
  if (swung && (step & 1) != 0) position += music.swing;
  return static_cast<int64_t>(std::llround(position * music.samplesPerStep()));
}

int64_t song::lengthSamples() const {
  return stepStartSample(*this, static_cast<int64_t>(bars) * stepsPerBar, false);
}

namespace {

// The chord sounding at `step` of a section whose progression starts on the
// section's first bar and repeats.
const chordSymbol& chordAt(const song& music, const section& part, int64_t step) {
  const progression& chords = music.progressions[part.progressionIndex];
  int total = 0;
  for (const chordSpan& span : chords.chords) total += span.bars;
  int64_t bar = step / music.stepsPerBar - part.firstBar;
  int64_t within = bar % total;
  for (const chordSpan& span : chords.chords) {
    if (within < span.bars) return span.chord;
    within -= span.bars;
  }
  return chords.chords.back().chord;
}

void placeNotes(const song& music, const section& part, const placement& placed, randomSource& random,
                trackPlan& plan) {
  const instrument& player = music.instruments[placed.instrumentIndex];
  const instrumentSettings& settings = player.settings;
  const pattern& notes = music.patterns[placed.patternIndex];
  const int64_t firstStep = static_cast<int64_t>(placed.firstBar) * music.stepsPerBar;
  const int64_t endStep = static_cast<int64_t>(placed.lastBar + 1) * music.stepsPerBar;
  const int64_t patternLength = static_cast<int64_t>(notes.steps.size());
  const float placementGain = decibelsToGain(placed.gainDb);
  auto stepOf = [&](int64_t step) -> const patternStep& { return notes.steps[(step - firstStep) % patternLength]; };

  float previousNote = -1.0f;
  int64_t previousEnd = -1;
  for (int64_t step = firstStep; step < endStep; ++step) {
    const patternStep& current = stepOf(step);
    if (current.kind == stepKind::rest || current.kind == stepKind::hold) continue;
    int64_t stop = step + 1;
    while (stop < endStep && stepOf(stop).kind == stepKind::hold) ++stop;

    std::vector<int> pitches;
    switch (current.kind) {
      case stepKind::note: pitches.push_back(current.value); break;
      case stepKind::hit: pitches.push_back(settings.hitNote); break;
      case stepKind::chordTone:
        pitches.push_back(chordToneNote(chordAt(music, part, step), current.value, settings.rootFloor));
        break;
      case stepKind::wholeChord: pitches = closeVoicing(chordAt(music, part, step), settings.voicingCentre); break;
      default: break;
    }
    noteEvent event;
    event.start = stepStartSample(music, step, settings.swing);
    event.length = std::max<int64_t>(1, stepStartSample(music, stop, settings.swing) - event.start);
    event.velocity = current.velocity * placementGain * (1.0f - settings.humanize * random.uniform());
    bool legato = settings.glide > 0.0f && pitches.size() == 1 && previousEnd == event.start;
    for (int pitch : pitches) {
      event.note = static_cast<float>(pitch + placed.transpose);
      event.glideFrom = legato ? previousNote : -1.0f;
      plan.notes.push_back(event);
    }
    previousNote = pitches.size() == 1 ? event.note : -1.0f;
    previousEnd = event.start + event.length;
  }
}

}  // namespace

std::vector<trackPlan> planTracks(const song& music) {
  std::vector<trackPlan> plans;
  for (const instrument& player : music.instruments) {
    trackPlan plan;
    const instrumentSettings& s = player.settings;
    plan.cutoff = automationLane(s.cutoff);
    plan.resonance = automationLane(s.resonance);
    plan.gainDb = automationLane(s.gainDb);
    plan.reverb = automationLane(s.reverbSend);
    plan.delay = automationLane(s.delaySend);
    plans.push_back(plan);
  }
  randomSource random(music.seed);
  for (const section& part : music.sections) {
    for (const placement& placed : part.placements) placeNotes(music, part, placed, random, plans[placed.instrumentIndex]);
    for (const ramp& ramped : part.ramps) {
      trackPlan& plan = plans[ramped.instrumentIndex];
      automationLane* lane = nullptr;
      switch (ramped.target) {
        case rampTarget::cutoff: lane = &plan.cutoff; break;
        case rampTarget::resonance: lane = &plan.resonance; break;
        case rampTarget::gain: lane = &plan.gainDb; break;
        case rampTarget::reverb: lane = &plan.reverb; break;
        case rampTarget::delay: lane = &plan.delay; break;
      }
      int64_t start = stepStartSample(music, static_cast<int64_t>(ramped.firstBar) * music.stepsPerBar, false);
      int64_t end = stepStartSample(music, static_cast<int64_t>(ramped.lastBar + 1) * music.stepsPerBar, false);
      lane->addRamp(start, end, ramped.from, ramped.to);
    }
  }
  for (trackPlan& plan : plans) {
    std::stable_sort(plan.notes.begin(), plan.notes.end(),
                     [](const noteEvent& a, const noteEvent& b) { return a.start < b.start; });
  }
  return plans;
}

}  // namespace songsynth
