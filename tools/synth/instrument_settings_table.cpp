#include "instrument_settings_table.h"

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "music_theory.h"

namespace songsynth {

namespace {

struct numberSetting {
  const char* name;
  float instrumentSettings::*field;
  float least;
  float most;
};

const numberSetting numberSettings[] = {
    {"osc2_level", &instrumentSettings::osc2Level, 0, 2},
    {"osc2_semitones", &instrumentSettings::osc2Semitones, -36, 36},
    {"sub", &instrumentSettings::subLevel, 0, 2},
    {"noise", &instrumentSettings::noiseLevel, 0, 2},
    {"detune", &instrumentSettings::detuneCents, 0, 100},
    {"spread", &instrumentSettings::stereoSpread, 0, 1},
    {"attack", &instrumentSettings::attack, 0, 10},
    {"decay", &instrumentSettings::decay, 0.001f, 10},
    {"sustain", &instrumentSettings::sustain, 0, 1},
    {"release", &instrumentSettings::release, 0.001f, 10},
    {"cutoff", &instrumentSettings::cutoff, 20, 20000},
    {"resonance", &instrumentSettings::resonance, 0, 1},
    {"keytrack", &instrumentSettings::keytrack, 0, 1},
    {"filter_env", &instrumentSettings::envelopeOctaves, -8, 8},
    {"filter_attack", &instrumentSettings::filterAttack, 0, 10},
    {"filter_decay", &instrumentSettings::filterDecay, 0.001f, 10},
    {"filter_sustain", &instrumentSettings::filterSustain, 0, 1},
    {"filter_release", &instrumentSettings::filterRelease, 0.001f, 10},
    {"drive", &instrumentSettings::drive, 0, 1},
    {"glide", &instrumentSettings::glide, 0, 2},
    {"vibrato", &instrumentSettings::vibratoDepth, 0, 2},
    {"vibrato_rate", &instrumentSettings::vibratoRate, 0.1f, 20},
    {"pitch", &instrumentSettings::pitch, 20, 2000},
    {"punch", &instrumentSettings::punch, 1, 16},
    {"snap", &instrumentSettings::snap, 0, 2},
    {"tone", &instrumentSettings::tone, 100, 20000},
    {"humanize", &instrumentSettings::humanize, 0, 1},
    {"gain", &instrumentSettings::gainDb, -60, 12},
    {"pan", &instrumentSettings::pan, -1, 1},
    {"width", &instrumentSettings::width, 0, 1},
    {"reverb", &instrumentSettings::reverbSend, 0, 1},
    {"delay", &instrumentSettings::delaySend, 0, 1},
    {"duck", &instrumentSettings::duck, 0, 1},
    {"chorus", &instrumentSettings::chorus, 0, 1},
};

std::optional<waveform> waveformNamed(const std::string& name) {
  if (name == "sine") return waveform::sine;
  if (name == "triangle") return waveform::triangle;
  if (name == "saw") return waveform::saw;
  if (name == "square") return waveform::square;
  if (name == "noise") return waveform::noise;
  return std::nullopt;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::optional<instrumentKind> instrumentKindNamed(const std::string& name) {
  if (name == "synth") return instrumentKind::synth;
  if (name == "kick") return instrumentKind::kick;
  if (name == "snare") return instrumentKind::snare;
  if (name == "clap") return instrumentKind::clap;
  if (name == "hat") return instrumentKind::hat;
  if (name == "crash") return instrumentKind::crash;
  if (name == "shaker") return instrumentKind::shaker;
  if (name == "riser") return instrumentKind::riser;
  return std::nullopt;
}

instrumentSettings defaultSettingsFor(instrumentKind kind) {
  instrumentSettings s;
  s.swing = kind != instrumentKind::kick;
  switch (kind) {
    case instrumentKind::synth: break;
    case instrumentKind::kick: s.pitch = 48; s.punch = 3.5f; s.decay = 0.38f; s.snap = 0.4f; break;
    case instrumentKind::snare: s.pitch = 185; s.decay = 0.16f; s.snap = 0.7f; s.tone = 5000; break;
    case instrumentKind::clap: s.decay = 0.14f; s.tone = 1300; s.snap = 1.0f; break;
    case instrumentKind::hat: s.pitch = 400; s.decay = 0.045f; s.tone = 9000; s.snap = 0.6f; break;
    case instrumentKind::crash: s.pitch = 430; s.decay = 1.8f; s.tone = 5500; s.snap = 0.7f; break;
    case instrumentKind::shaker: s.decay = 0.05f; s.tone = 6500; break;
    case instrumentKind::riser: s.tone = 7000; s.pitch = 250; break;
  }
  return s;
}

std::string applySetting(instrumentSettings& settings, const std::string& key, const std::string& value) {
  if (key == "osc" || key == "osc2") {
    std::optional<waveform> shape = waveformNamed(value);
    if (!shape) return quoted(value) + " is not a waveform (sine, triangle, saw, square, noise)";
    (key == "osc" ? settings.osc1 : settings.osc2) = *shape;
    return "";
  }
  if (key == "filter") {
    if (value == "lowpass") settings.filter = filterMode::lowpass;
    else if (value == "bandpass") settings.filter = filterMode::bandpass;
    else if (value == "highpass") settings.filter = filterMode::highpass;
    else return quoted(value) + " is not a filter (lowpass, bandpass, highpass)";
    return "";
  }
  if (key == "swing") {
    if (value != "on" && value != "off") return "swing is \"on\" or \"off\"";
    settings.swing = value == "on";
    return "";
  }
  if (key == "root_from" || key == "voicing" || key == "note") {
    std::optional<int> note = parseNoteName(value);
    if (!note) return quoted(value) + " is not a note name";
    (key == "root_from" ? settings.rootFloor : key == "voicing" ? settings.voicingCentre : settings.hitNote) = *note;
    return "";
  }
  char* end = nullptr;
  double number = std::strtod(value.c_str(), &end);
  bool isNumber = !value.empty() && *end == '\0' && std::isfinite(number);
  if (key == "unison") {
    if (!isNumber || number != std::floor(number) || number < 1 || number > 16) {
      return "unison is a whole number from 1 to 16";
    }
    settings.unison = static_cast<int>(number);
    return "";
  }
  for (const numberSetting& setting : numberSettings) {
    if (key != setting.name) continue;
    if (!isNumber) return quoted(value) + " is not a number";
    if (number < setting.least || number > setting.most) {
      std::ostringstream text;
      text << key << " " << value << " is outside " << setting.least << " to " << setting.most;
      return text.str();
    }
    settings.*setting.field = static_cast<float>(number);
    return "";
  }
  return "unknown instrument setting " + quoted(key);
}

}  // namespace songsynth
