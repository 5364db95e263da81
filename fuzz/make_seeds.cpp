// fuzz_seeds: writes the seed corpora of the fuzz targets, made with the
// project's own writers (the tests' 3DS, image, track and zip writers).
//
//   fuzz_seeds OUTPUT_FOLDER [PACKAGE.zip ...]
//
// makes OUTPUT_FOLDER/{model3ds,track,package,image}/ and fills each with
// small, well-formed files of that kind. Every package named after the
// folder adds its entries by kind: models/ to model3ds, textures/ to image,
// script/*.track to track; a package of at most 64 KiB joins package too.
#include "engine/file_buffer.h"
#include "engine/package.h"
#include "support/image_files.h"
#include "support/test_package.h"
#include "support/three_ds_writer.h"
#include "support/track_bytes.h"

#include <unzip.h>
#include <zlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

struct corpus {
  std::string folder;
  int count = 0;

  void add(const std::string& bytes) {
    char name[32];
    std::snprintf(name, sizeof name, "/seed-%03d", count++);
    writeWholeFile(folder + name, bytes);
  }
};

bool makeFolder(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }

// --- 3DS models ---------------------------------------------------------

void addModels(corpus& out) {
  meshSpec flat = cubeMesh("Flat");
  out.add(serialise(file3ds({}, {flat})));

  materialSpec wood;
  wood.name = "Wood";
  wood.ambient = colourSpec{{0.2f, 0.1f, 0.05f}, true, false};
  wood.diffuse = colourSpec{{1.0f, 0.5f, 0.25f}, false, true};
  wood.specular = colourSpec{{0.1f, 0.1f, 0.1f}, true, true};
  wood.shininessPercent = 40;
  mapSpec first;
  first.file = "wood.jpg";
  first.uScale = 2.0f;
  first.vScale = 0.5f;
  first.uOffset = 0.25f;
  first.vOffset = 0.75f;
  first.angle = 30.0f;
  mapSpec second;
  second.id = 0xA204;
  second.file = "grain.png";
  wood.maps = {first, second};
  materialSpec glass;
  glass.name = "Glass";
  glass.shininessFloat = 0.8f;
  glass.maps = {mapSpec{0xA210, "mask.tga", {}, {}, {}, {}, {}}};

  meshSpec box = cubeMesh("Box");
  box.mapping.assign(8, {0.25f, 0.75f});
  box.groups = {{"Wood", {0, 1, 2, 3, 4, 5}}, {"Glass", {6, 7, 8, 9}}, {"Missing", {10, 11}}};
  box.smoothing.assign(12, 1);
  out.add(serialise(file3ds({wood, glass}, {box, flat})));

  meshSpec faceted = cubeMesh("Faceted");
  faceted.mapping.assign(8, {0.5f, 0.5f});
  faceted.groups = {{"Nowhere", {0, 1, 2}}, {"Glass", {3, 4, 5, 6, 7, 8, 9, 10, 11}}};
  faceted.smoothing.assign(12, 2);
  out.add(serialise(file3ds({glass}, {faceted})));

  meshSpec pointsOnly = cubeMesh("Points");
  pointsOnly.withFaceList = false;
  meshSpec facesOnly = cubeMesh("Faces");
  facesOnly.withVertexList = false;
  out.add(serialise(file3ds({materialSpec{}}, {pointsOnly, facesOnly, flat})));

  // A main chunk whose stated length is wrong, as some exporters write it.
  chunk3ds lying = file3ds({wood}, {box});
  lying.statedLength = 12345;
  out.add(serialise(lying));
}

// --- track files --------------------------------------------------------

std::string rowsAfter(std::string track, const std::vector<double>& rows) {
  for (double row : rows) track.append(reinterpret_cast<const char*>(&row), sizeof row);
  return track;
}

void addTracks(corpus& out) {
  out.add("");
  out.add(trackFile({}));
  out.add(constantTrack(0.5f));
  out.add(trackFile({{0, 0.0f, 1}, {16, 2.0f, 0}}));
  out.add(trackFile({{0, 0.0f, 0}, {8, 1.0f, 1}, {16, -1.0f, 2}, {32, 4.0f, 3}, {64, 0.0f, 1}}));
  out.add(trackFile({{-5, 1.0f, 2}, {0, 0.0f, -1}, {3, 7.0f, 1}}));
  out.add(trackFile({{10, 1.0f, 1}, {10, 2.0f, 1}, {4, 3.0f, 2}}));
  out.add(rowsAfter(trackFile({{1, 0.0f, 1}, {9, 1.0f, 3}, {17, 0.0f, 2}}), {4.5, 12.25, -3.0, 1e9}));
  out.add(trackFile({{INT32_MIN, -1.0f, 1}, {INT32_MAX, 1.0f, 0}}));
  out.add(trackFileClaiming(3, {{0, 1.0f, 1}}));
}

// --- images -------------------------------------------------------------

std::string bigEndian32(uint32_t value) {
  std::string bytes;
  for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

std::string bigEndian16(uint16_t value) {
  return std::string{static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}

std::string pngChunk(const std::string& type, const std::string& data) {
  const std::string body = type + data;
  const auto crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
  return bigEndian32(static_cast<uint32_t>(data.size())) + body + bigEndian32(crc);
}

// A 16-bit-per-channel PNG (colour type 2 RGB or 6 RGBA, or 0 grey), which
// the decoder converts to 8 bits.
std::string png16File(int width, int height, uint8_t colourType, int channels) {
  std::string header = bigEndian32(static_cast<uint32_t>(width)) +
                       bigEndian32(static_cast<uint32_t>(height));
  header += std::string{16, static_cast<char>(colourType), 0, 0, 0};
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += static_cast<char>(y % 5);  // every filter type once
    for (int x = 0; x < width * channels; ++x) raw += bigEndian16(static_cast<uint16_t>(x * 4099 + y * 257));
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::string packed(packedSize, '\0');
  compress(reinterpret_cast<Bytef*>(&packed[0]), &packedSize,
           reinterpret_cast<const Bytef*>(raw.data()), static_cast<uLong>(raw.size()));
  packed.resize(packedSize);
  return std::string("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", packed) +
         pngChunk("IEND", "");
}

// An uncompressed 8-bit RGB Photoshop file, channels stored one after another.
std::string psdFile(int width, int height) {
  std::string out = "8BPS" + bigEndian16(1) + std::string(6, '\0') + bigEndian16(3) +
                    bigEndian32(static_cast<uint32_t>(height)) +
                    bigEndian32(static_cast<uint32_t>(width)) + bigEndian16(8) + bigEndian16(3);
  out += bigEndian32(0) + bigEndian32(0) + bigEndian32(0) + bigEndian16(0);
  for (int c = 0; c < 3; ++c) {
    for (int n = 0; n < width * height; ++n) out += static_cast<char>(n * 37 + c * 80);
  }
  return out;
}

// A Radiance HDR file with flat RGBE pixels (too narrow for run lengths).
std::string hdrFile(int width, int height) {
  std::string out = "#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y " + std::to_string(height) + " +X " +
                    std::to_string(width) + "\n";
  for (int n = 0; n < width * height; ++n) {
    out += std::string{static_cast<char>(n * 40), static_cast<char>(200 - n), 17,
                       static_cast<char>(128 + n % 3)};
  }
  return out;
}

std::vector<uint8_t> gradient(int width, int height, int channels) {
  std::vector<uint8_t> pixels;
  for (int n = 0; n < width * height * channels; ++n) pixels.push_back(static_cast<uint8_t>(n * 29));
  return pixels;
}

void addImages(corpus& out) {
  for (int channels = 1; channels <= 4; ++channels) {
    out.add(pngFile(5, 3, channels, gradient(5, 3, channels)));
  }
  out.add(jpegFile(16, 8, 3, gradient(16, 8, 3)));
  out.add(greyJpegFile(2, 1));
  out.add(bmpFile(3, 2, 3, gradient(3, 2, 3)));
  out.add(bmpFile(2, 2, 4, gradient(2, 2, 4)));
  out.add(tgaFile(3, 3, 3, gradient(3, 3, 3)));
  out.add(tgaFile(2, 5, 4, gradient(2, 5, 4)));
  out.add(palettePngFile(4, 2, {0, 0, 0, 255, 255, 255, 200, 100, 50}, {0, 1, 2, 1, 0, 2, 2, 1}));
  out.add(png16File(3, 5, 2, 3));
  out.add(png16File(2, 2, 6, 4));
  out.add(png16File(4, 1, 0, 1));
  out.add(psdFile(3, 2));
  out.add(hdrFile(4, 2));
  out.add("P6\n3 2\n255\n" + std::string(18, '\x7f'));
  out.add(pngFile(1, 1, 3, gradient(1, 1, 3)));
  out.add(pngFile(300, 1, 1, gradient(300, 1, 1)));
}

// --- packages -----------------------------------------------------------

std::string zipBytes(const std::vector<zipEntry>& entries) {
  const std::string folder = makeTempFolder();
  const std::string scratch = folder + "/seed.zip";
  const bool written = writeZip(scratch, entries);
  std::string bytes = written ? readWholeFile(scratch) : "";
  std::remove(scratch.c_str());
  rmdir(folder.c_str());
  return bytes;
}

void addPackages(corpus& out) {
  out.add(zipBytes({{"readme.txt", "a package\n"}}));
  out.add(zipBytes({{"script/sync_clear.c.r.track", trackFile({{0, 0.5f, 1}, {8, 1.0f, 0}}), true},
                    {"script/sync_clear.c.g.track", trackFile({}), false},
                    {"fx/plain.frag", "void main() { gl_FragColor = vec4(1.0); }\n", false},
                    {"Textures/Mixed.Case", std::string(300, 'a'), false}}));
  out.add(zipBytes({{"models/cube.3ds", serialise(file3ds({}, {cubeMesh("Cube")})), false},
                    {"textures/dot.png", pngFile(2, 2, 3, gradient(2, 2, 3)), true}}));
  out.add(zipBytes({{"empty.bin", "", true}, {"zeros.bin", std::string(2000, '\0'), false},
                    {"text/with\0zero", std::string("ab\0cd", 5), true}}));
  out.add(zipBytes({}));
}

// --- entries of a real package ------------------------------------------

bool startsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool endsWith(const std::string& text, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Sorts the entries of the package at `path` into the corpora; entries over
// 64 KiB are left out (the fuzzers' inputs stay small).
bool addPackageEntries(const std::string& path, corpus& models, corpus& tracks, corpus& images,
                       corpus& packages) {
  const std::string whole = readWholeFile(path);
  if (whole.empty()) return false;
  if (whole.size() <= 65536) packages.add(whole);
  std::vector<std::string> names;
  unzFile archive = unzOpen64(path.c_str());
  if (archive == nullptr) return false;
  for (int status = unzGoToFirstFile(archive); status == UNZ_OK; status = unzGoToNextFile(archive)) {
    char name[256];
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK &&
        info.uncompressed_size > 0 && info.uncompressed_size <= 65536) {
      names.emplace_back(name);
    }
  }
  unzClose(archive);
  usePackage(path);
  for (const std::string& name : names) {
    corpus* target = startsWith(name, "models/")     ? &models
                     : startsWith(name, "textures/") ? &images
                     : startsWith(name, "script/") && endsWith(name, ".track") ? &tracks
                                                                               : nullptr;
    if (target == nullptr) continue;
    fileBuffer buffer;
    readFile(name.c_str(), buffer);
    target->add(std::string(reinterpret_cast<const char*>(buffer.data), buffer.length));
  }
  dropPackage();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: fuzz_seeds OUTPUT_FOLDER [PACKAGE.zip ...]\n");
    return 2;
  }
  const std::string top = argv[1];
  corpus models{top + "/model3ds"};
  corpus tracks{top + "/track"};
  corpus packages{top + "/package"};
  corpus images{top + "/image"};
  for (const std::string& folder : {top, models.folder, tracks.folder, packages.folder, images.folder}) {
    if (!makeFolder(folder)) {
      std::perror(folder.c_str());
      return 1;
    }
  }
  addModels(models);
  addTracks(tracks);
  addImages(images);
  addPackages(packages);
  for (int n = 2; n < argc; ++n) {
    try {
      if (!addPackageEntries(argv[n], models, tracks, images, packages)) {
        std::fprintf(stderr, "fuzz_seeds: %s is not a readable package\n", argv[n]);
        return 1;
      }
    } catch (int code) {
      std::fprintf(stderr, "fuzz_seeds: reading %s failed with code %#x\n", argv[n], code);
      return 1;
    }
  }
  std::printf("seeds: %d models, %d tracks, %d images, %d packages in %s\n", models.count,
              tracks.count, images.count, packages.count, top.c_str());
  return 0;
}
