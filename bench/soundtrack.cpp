// Cost of each soundtrack stage on eight bars (15 s) of the show's song;
// the whole song is 76 bars. The build renders it in full every time the
// song or the synthesiser changes, and should stay well under 30 s.
#include <benchmark/benchmark.h>

#include "audio_files.h"
#include "loudness_meter.h"
#include "mastering.h"
#include "song_parser.h"
#include "song_renderer.h"

namespace {

using namespace songsynth;

const song& showSong() {
  static const song music = loadSongFile(AMBER_SOURCE_DIR "/content/song/marble_hollow_rhythm.song");
  return music;
}

const stereoBuffer& renderedBars() {
  static const stereoBuffer audio = renderMix(showSong(), 48, 55);
  return audio;
}

void renderEightBars(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(renderMix(showSong(), 48, 55).frames());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(renderedBars().frames()));
}
BENCHMARK(renderEightBars)->Unit(benchmark::kMillisecond);

void masterEightBars(benchmark::State& state) {
  for (auto _ : state) {
    stereoBuffer audio = renderedBars();
    benchmark::DoNotOptimize(masterMix(audio, showSong().master).loudness);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(renderedBars().frames()));
}
BENCHMARK(masterEightBars)->Unit(benchmark::kMillisecond);

void measureLoudnessEightBars(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(integratedLoudness(renderedBars(), sampleRate));
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(renderedBars().frames()));
}
BENCHMARK(measureLoudnessEightBars)->Unit(benchmark::kMillisecond);

void encodeEightBars(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(encodeMp3(renderedBars(), showSong().master.bitrate).size());
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(renderedBars().frames()));
}
BENCHMARK(encodeEightBars)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
