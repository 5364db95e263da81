#include "song_analysis.h"

#include <algorithm>
#include <cmath>

#include "arrangement.h"
#include "loudness_meter.h"

namespace songsynth {

namespace {

double toDb(double power) { return 10.0 * std::log10(std::max(power, 1e-20)); }

stereoBuffer slice(const stereoBuffer& audio, size_t start, size_t end) {
  stereoBuffer part(end - start);
  std::copy(audio.left.begin() + start, audio.left.begin() + end, part.left.begin());
  std::copy(audio.right.begin() + start, audio.right.begin() + end, part.right.begin());
  return part;
}

// Mean power of (left + right) / 2 in each band, bands split by crossovers.
std::vector<double> bandPowers(const stereoBuffer& audio, const std::vector<double>& edges) {
  std::vector<double> powers(edges.size() + 1, 0.0);
  std::vector<stateVariableFilter> lows(edges.size());
  for (size_t b = 0; b < edges.size(); ++b) lows[b].tune(edges[b], 0.0, sampleRate);
  for (size_t i = 0; i < audio.frames(); ++i) {
    float rest = (audio.left[i] + audio.right[i]) * 0.5f;
    for (size_t b = 0; b < edges.size(); ++b) {
      float low = lows[b].lowpass(rest);
      powers[b] += static_cast<double>(low) * low;
      rest -= low;
    }
    powers.back() += static_cast<double>(rest) * rest;
  }
  for (double& p : powers) p /= std::max<size_t>(1, audio.frames());
  return powers;
}

// Energy per pitch class from Goertzel filters on every note from C3 to C6
// over quarter-second frames: the key and chords should show through.
std::vector<double> pitchClassEnergy(const stereoBuffer& audio) {
  std::vector<double> classes(12, 0.0);
  const size_t frame = sampleRate / 4;
  for (int note = 48; note <= 84; ++note) {
    double frequency = 440.0 * std::pow(2.0, (note - 69) / 12.0);
    double coefficient = 2.0 * std::cos(2.0 * pi * frequency / sampleRate);
    for (size_t start = 0; start + frame <= audio.frames(); start += frame) {
      double s1 = 0.0, s2 = 0.0;
      for (size_t i = start; i < start + frame; ++i) {
        double s0 = 0.5 * (audio.left[i] + audio.right[i]) + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
      }
      classes[note % 12] += s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    }
  }
  return classes;
}

void printTempo(const stereoBuffer& audio, std::FILE* out) {
  const size_t hop = 220;
  const double framesPerSecond = static_cast<double>(sampleRate) / hop;
  std::vector<double> onset;
  double previous = 0.0;
  for (size_t start = 0; start + hop <= audio.frames(); start += hop) {
    double energy = 0.0;
    for (size_t i = start; i < start + hop; ++i) energy += audio.left[i] * audio.left[i] + audio.right[i] * audio.right[i];
    double level = std::log10(energy + 1e-9);
    onset.push_back(std::max(0.0, level - previous));
    previous = level;
  }
  auto correlation = [&](size_t lag) {
    double sum = 0.0;
    for (size_t i = lag; i < onset.size(); ++i) sum += onset[i] * onset[i - lag];
    return sum;
  };
  size_t shortest = static_cast<size_t>(framesPerSecond * 60.0 / 180.0);
  size_t longest = static_cast<size_t>(framesPerSecond * 60.0 / 90.0);
  size_t best = shortest;
  double bestValue = -1.0;
  for (size_t lag = shortest; lag <= longest; ++lag) {
    double value = correlation(lag);
    if (value > bestValue) {
      bestValue = value;
      best = lag;
    }
  }
  double a = correlation(best - 1), b = bestValue, c = correlation(best + 1);
  double offset = (a - 2 * b + c) != 0.0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0.0;
  std::fprintf(out, "tempo from onsets: %.2f BPM\n", 60.0 * framesPerSecond / (best + offset));
}

}  // namespace

void printAnalysis(const stereoBuffer& audio, const song& music, int firstBar, std::FILE* out) {
  const int64_t origin = stepStartSample(music, static_cast<int64_t>(firstBar) * music.stepsPerBar, false);
  auto barStart = [&](int bar) {
    int64_t at = stepStartSample(music, static_cast<int64_t>(bar) * music.stepsPerBar, false) - origin;
    return static_cast<size_t>(std::clamp<int64_t>(at, 0, static_cast<int64_t>(audio.frames())));
  };
  double sumLeft = 0.0, sumRight = 0.0;
  for (size_t i = 0; i < audio.frames(); ++i) {
    sumLeft += audio.left[i];
    sumRight += audio.right[i];
  }
  std::fprintf(out, "frames %zu (%.3f s), DC left %.2e right %.2e\n", audio.frames(),
               audio.frames() / static_cast<double>(sampleRate), sumLeft / audio.frames(), sumRight / audio.frames());
  printTempo(audio, out);

  std::fprintf(out, "\nbar   rms dBFS  peak dBFS  LUFS\n");
  for (int bar = firstBar;; ++bar) {
    size_t start = barStart(bar), end = barStart(bar + 1);
    if (start >= end) break;
    double power = 0.0;
    float peak = 0.0f;
    for (size_t i = start; i < end; ++i) {
      power += 0.5 * (audio.left[i] * audio.left[i] + audio.right[i] * audio.right[i]);
      peak = std::max({peak, std::fabs(audio.left[i]), std::fabs(audio.right[i])});
    }
    double loudness = integratedLoudness(slice(audio, start, end), sampleRate);
    std::fprintf(out, "%3d  %8.1f  %9.1f  %5.1f  %s\n", bar, toDb(power / (end - start)), toDb(peak * peak), loudness,
                 std::string(static_cast<size_t>(std::max(0.0, (toDb(power / (end - start)) + 40.0))), '#').c_str());
  }

  const std::vector<double> edges = {60, 250, 1000, 4000, 10000};
  std::fprintf(out, "\nsection     bars    sub  bass  lowmid  himid  presence  air   (dB)   side/mid dB  correlation\n");
  for (const section& part : music.sections) {
    size_t start = barStart(part.firstBar), end = barStart(part.lastBar + 1);
    if (start >= end) continue;
    stereoBuffer piece = slice(audio, start, end);
    std::vector<double> bands = bandPowers(piece, edges);
    double mid = 0.0, side = 0.0, lr = 0.0, ll = 0.0, rr = 0.0;
    for (size_t i = 0; i < piece.frames(); ++i) {
      double m = 0.5 * (piece.left[i] + piece.right[i]), s = 0.5 * (piece.left[i] - piece.right[i]);
      mid += m * m;
      side += s * s;
      lr += piece.left[i] * piece.right[i];
      ll += piece.left[i] * piece.left[i];
      rr += piece.right[i] * piece.right[i];
    }
    std::fprintf(out, "%-10s %2d-%-3d", part.name.c_str(), part.firstBar, part.lastBar);
    for (double band : bands) std::fprintf(out, " %6.1f", toDb(band));
    std::fprintf(out, "   %8.1f  %10.2f\n", toDb(side) - toDb(mid), lr / std::sqrt(std::max(ll * rr, 1e-30)));
  }

  static const char* names[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
  std::fprintf(out, "\nsection     pitch classes, strongest first (dB under the strongest)\n");
  for (const section& part : music.sections) {
    size_t start = barStart(part.firstBar), end = barStart(part.lastBar + 1);
    if (start >= end) continue;
    std::vector<double> classes = pitchClassEnergy(slice(audio, start, end));
    std::vector<int> order = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    std::sort(order.begin(), order.end(), [&](int a, int b) { return classes[a] > classes[b]; });
    std::fprintf(out, "%-10s", part.name.c_str());
    for (int pc : order) std::fprintf(out, " %s %.0f", names[pc], toDb(classes[pc]) - toDb(classes[order[0]]));
    std::fprintf(out, "\n");
  }
}

void printTrackLevels(const std::vector<std::vector<double>>& barPower, const song& music, int firstBar,
                      std::FILE* out) {
  std::fprintf(out, "\ninstrument  ");
  for (const section& part : music.sections) std::fprintf(out, "%8s", part.name.c_str());
  std::fprintf(out, "   (dB, unmastered)\n");
  for (size_t i = 0; i < barPower.size(); ++i) {
    const char* name = i < music.instruments.size() ? music.instruments[i].name.c_str()
                       : i == music.instruments.size()  ? "(echo)"
                                                        : "(reverb)";
    std::fprintf(out, "%-12s", name);
    for (const section& part : music.sections) {
      double sum = 0.0;
      int count = 0;
      for (int bar = part.firstBar; bar <= part.lastBar; ++bar) {
        int index = bar - firstBar;
        if (index < 0 || index >= static_cast<int>(barPower[i].size())) continue;
        sum += barPower[i][index];
        ++count;
      }
      if (count == 0 || sum <= 0.0) std::fprintf(out, "%8s", "-");
      else std::fprintf(out, "%8.1f", toDb(sum / count));
    }
    std::fprintf(out, "\n");
  }
}

}  // namespace songsynth
