// Loading costs of the render framework: parsing and building a 3DS model
// of 20 000 triangles, and resampling a 1024 x 1024 image.
#include "api/model/build_models.h"
#include "api/model/parse3ds.h"
#include "api/render/model.h"
#include "api/texture/bitmap.h"
#include "api/texture/upload.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void put16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}

void put32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void putFloat(std::string& out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  put32(out, bits);
}

std::string chunk(uint16_t id, const std::string& body) {
  std::string out;
  put16(out, id);
  put32(out, static_cast<uint32_t>(body.size() + 6));
  return out + body;
}

// A side x side grid of quads (two triangles each) with mapping
// coordinates, one material group and, when smooth, smoothing group 1.
std::string gridFile(int side, bool smooth) {
  const int columns = side + 1;
  std::string vertices;
  std::string mapping;
  put16(vertices, static_cast<uint16_t>(columns * columns));
  put16(mapping, static_cast<uint16_t>(columns * columns));
  for (int y = 0; y < columns; ++y) {
    for (int x = 0; x < columns; ++x) {
      putFloat(vertices, static_cast<float>(x));
      putFloat(vertices, static_cast<float>(y));
      putFloat(vertices, static_cast<float>((x * y) % 7) * 0.1f);
      putFloat(mapping, static_cast<float>(x) / side);
      putFloat(mapping, static_cast<float>(y) / side);
    }
  }
  const int faceCount = 2 * side * side;
  std::string faces;
  std::string group = std::string("Grid") + '\0';
  std::string smoothing;
  put16(faces, static_cast<uint16_t>(faceCount));
  put16(group, static_cast<uint16_t>(faceCount));
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const auto corner = static_cast<uint16_t>(y * columns + x);
      const uint16_t quad[6] = {corner, static_cast<uint16_t>(corner + 1),
                                static_cast<uint16_t>(corner + columns + 1), corner,
                                static_cast<uint16_t>(corner + columns + 1),
                                static_cast<uint16_t>(corner + columns)};
      for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < 3; ++i) put16(faces, quad[3 * t + i]);
        put16(faces, 7);
      }
    }
  }
  for (int f = 0; f < faceCount; ++f) {
    put16(group, static_cast<uint16_t>(f));
    put32(smoothing, smooth ? 1 : 0);
  }
  const std::string faceList = chunk(0x4120, faces + chunk(0x4130, group) + chunk(0x4150, smoothing));
  const std::string mesh = chunk(0x4100, chunk(0x4110, vertices) + chunk(0x4140, mapping) + faceList);
  const std::string object = chunk(0x4000, std::string("Grid") + '\0' + mesh);
  const std::string material = chunk(0xAFFF, chunk(0xA000, std::string("Grid") + '\0') +
                                                 chunk(0xA200, chunk(0xA300, std::string("grid.png") + '\0')));
  return chunk(0x4D4D, chunk(0x3D3D, material + object));
}

void parseAndBuild(benchmark::State& state, bool smooth) {
  const std::string file = gridFile(100, smooth);  // 20 000 triangles
  const std::vector<uint8_t> bytes(file.begin(), file.end());
  for (auto _ : state) {
    FWmodel::parse3ds parser(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<std::unique_ptr<FWrender::model>> models;
    FWmodel::buildModels(&parser, models);
    for (auto& model : models) FWrender::build(*model);
    benchmark::DoNotOptimize(models.front()->normals.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
  state.counters["faces"] = 20000;
}

void BM_Parse3dsAndBuildSmooth(benchmark::State& state) { parseAndBuild(state, true); }
void BM_Parse3dsAndBuildFaceted(benchmark::State& state) { parseAndBuild(state, false); }

// A square picture of side range(0) resampled to side range(1) with
// range(2) channels. Pictures already at their upload size skip the pass.
void BM_Resample(benchmark::State& state) {
  const auto side = static_cast<int32_t>(state.range(0));
  const auto target = static_cast<int32_t>(state.range(1));
  const int channels = static_cast<int>(state.range(2));
  std::vector<uint8_t> source(static_cast<size_t>(side) * side * channels);
  for (size_t n = 0; n < source.size(); ++n) source[n] = static_cast<uint8_t>(n * 31 + n / 4096);
  for (auto _ : state) {
    state.PauseTiming();
    FWtexture::bitmap image;
    image.width = side;
    image.height = side;
    image.channels = channels;
    image.pixels = static_cast<uint8_t*>(std::malloc(source.size()));
    std::memcpy(image.pixels, source.data(), source.size());
    state.ResumeTiming();
    FWtexture::resample(image, target, target);
    benchmark::DoNotOptimize(image.pixels);
  }
}

}  // namespace

BENCHMARK(BM_Parse3dsAndBuildSmooth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse3dsAndBuildFaceted)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Resample)
    ->Args({1000, 1024, 3})
    ->Args({1000, 1024, 4})
    ->Args({1024, 512, 3})
    ->Args({1024, 1024, 3})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
