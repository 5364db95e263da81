// Cost of reading tracks each frame: one evaluation of a track of n keys.
#include "engine/rocket/track.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

std::vector<sync_key> keysEveryFourRows(int32_t count) {
  std::vector<sync_key> keys(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) keys[i] = {i * 4, static_cast<float>(i % 7), static_cast<sync_key_type>(i % 4)};
  return keys;
}

void evaluateTrack(benchmark::State& state) {
  std::vector<sync_key> keys = keysEveryFourRows(static_cast<int32_t>(state.range(0)));
  const sync_track track{nullptr, keys.data(), static_cast<int32_t>(keys.size())};
  const double lastRow = keys.back().row;
  double row = 0.0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(sync_track_value(&track, row));
    row += 0.37;
    if (row > lastRow) row = 0.0;
  }
}
BENCHMARK(evaluateTrack)->Arg(2)->Arg(64)->Arg(4096);

}  // namespace

BENCHMARK_MAIN();
