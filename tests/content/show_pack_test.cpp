#include "content/chunk_reader.h"

#include "content/content_error.h"
#include "content/pack_builder.h"
#include "content/show_manifest.h"
#include "content/sync_script.h"
#include "content/track_codec.h"
#include "content/zip_archive.h"
#include "engine/file_buffer.h"
#include "engine/package.h"
#include "support/command.h"
#include "support/test_package.h"

#include <gtest/gtest.h>
#include <stb_image.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

#ifndef AMBER_PACK_HAS_SOUNDTRACK
#define AMBER_PACK_HAS_SOUNDTRACK 0
#endif

namespace {

namespace fs = std::filesystem;
using testing_support::commandResult;
using testing_support::runCommand;

// Every track some part of the show asks for, by name.
const char* const showTracks[] = {
    "cam0.bind",    "cam1.bind",    "light0.bind",  "cso0.bind",    "gricc.bind",   "kacsa.bind",
    "cam0.e.x",     "cam0.e.y",     "cam0.e.z",     "cam0.c.x",     "cam0.c.y",     "cam0.c.z",
    "cam0.rot",     "cam1.e.x",     "cam1.e.y",     "cam1.e.z",     "cam1.c.x",     "cam1.c.y",
    "cam1.c.z",     "cam1.rot",     "clear.c.r",    "clear.c.g",    "clear.c.b",    "light0.pos.x",
    "light0.pos.y", "light0.pos.z", "blur.r",       "ssao.r.1",     "ssao.r.2",     "ssao.r.3",
    "hdr.v.b",      "hdr.v.l",      "hdr.v.e",      "tunnel.forgas", "tunnel.csoda", "tent.bind",
    "tent.fade",    "tent.eltol",   "eleje.bind",   "eleje.eltol",  "griccTXT.bind", "kocka.villog",
    "kocka.sor",    "feher.fade",   "fekete.fade",  "kacsa.fade",
};

// Picture, channel count the decoder reports, and its alpha companion.
struct pictureEntry {
  const char* name;
  int channels;
  const char* companion;
};
const pictureEntry showPictures[] = {
    {"PARTICLE0.JPG", 3, nullptr}, {"PARTICLE1.JPG", 3, nullptr}, {"particle3.jpg", 3, nullptr},
    {"starfield.jpg", 3, nullptr}, {"image_01.jpg", 3, "image_01a.jpg"}, {"image_02.jpg", 3, "image_02a.jpg"},
    {"image_03.jpg", 3, "image_03a.jpg"}, {"duck2.png", 3, "duck2a.png"}, {"badge12.png", 3, "badge12a.png"},
};

const std::map<std::string, std::string>& builtPack() {
  static const std::map<std::string, std::string> entries = [] {
    std::map<std::string, std::string> byName;
    for (auto& entry : content::readArchive(AMBER_PACK_PATH)) byName[entry.name] = std::move(entry.bytes);
    return byName;
  }();
  return entries;
}

// Runs a shell command; its stdout and stderr together.
commandResult run(const std::string& command) { return runCommand(command + " 2>&1"); }

bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

TEST(ShowPack, HoldsEveryEntryTheShowReadsAndNothingElse) {
  std::set<std::string> expected;
  for (const char* track : showTracks) expected.insert(std::string("script/sync_") + track + ".track");
  for (const auto& picture : showPictures) {
    expected.insert(std::string("textures/") + picture.name);
    if (picture.companion != nullptr) expected.insert(std::string("textures/") + picture.companion);
  }
  expected.insert("models/cube10by10.3ds");
  expected.insert("models/title.3ds");
  for (const std::string& shader : content::manifest::shaderNames()) expected.insert("fx/" + shader);
  if (AMBER_PACK_HAS_SOUNDTRACK) expected.insert("sfx/MarbleHollow_Rhythm.mp3");

  const auto listing = content::listArchive(AMBER_PACK_PATH);
  std::set<std::string> names;
  for (const auto& entry : listing) {
    EXPECT_TRUE(names.insert(entry.name).second) << "twice: " << entry.name;
    EXPECT_GT(entry.size, 0u) << entry.name;  // the engine cannot read empty entries
  }
  EXPECT_EQ(names, expected);
  EXPECT_EQ(listing.size(), 46u + 14u + 2u + content::manifest::shaderNames().size() +
                                (AMBER_PACK_HAS_SOUNDTRACK ? 1u : 0u));
}

TEST(ShowPack, TrackFilesAreExactAndInRowOrder) {
  for (const char* track : showTracks) {
    SCOPED_TRACE(track);
    const std::string& bytes = builtPack().at(std::string("script/sync_") + track + ".track");
    size_t trailing = 1;
    const auto keys = content::decodeTrack(bytes, track, &trailing);
    EXPECT_EQ(trailing, 0u);
    ASSERT_FALSE(keys.empty());
    // Defined from the first sample on, so nothing is left to the first key's hold.
    EXPECT_LE(keys.front().row, 1);
    for (size_t i = 0; i < keys.size(); ++i) {
      EXPECT_GE(keys[i].type, 0);
      EXPECT_LE(keys[i].type, 3);
      if (i > 0) {
        EXPECT_LT(keys[i - 1].row, keys[i].row);
      }
    }
    if (std::string(track).find(".bind") != std::string::npos) {
      for (const auto& key : keys) EXPECT_TRUE(key.value == 0.0f || key.value == 1.0f);
    }
  }
}

TEST(ShowPack, PicturesDecodeAsTheTextureLoaderSeesThem) {
  for (const auto& picture : showPictures) {
    SCOPED_TRACE(picture.name);
    const std::string& bytes = builtPack().at(std::string("textures/") + picture.name);
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                            static_cast<int>(bytes.size()), &width, &height, &channels, 0);
    ASSERT_NE(pixels, nullptr) << stbi_failure_reason();
    stbi_image_free(pixels);
    EXPECT_EQ(channels, picture.channels);
    EXPECT_TRUE(isPowerOfTwo(width) && width == height) << width << "x" << height;
    if (picture.companion == nullptr) continue;
    const std::string& alphaBytes = builtPack().at(std::string("textures/") + picture.companion);
    int alphaWidth = 0, alphaHeight = 0, alphaChannels = 0;
    stbi_uc* alpha = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(alphaBytes.data()),
                                           static_cast<int>(alphaBytes.size()), &alphaWidth, &alphaHeight,
                                           &alphaChannels, 0);
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alphaChannels, 1);
    EXPECT_EQ(alphaWidth, width);
    EXPECT_EQ(alphaHeight, height);
    // A real mask: clear background, solid shapes, soft edges between.
    int clear = 0, solid = 0, edge = 0;
    for (int i = 0; i < alphaWidth * alphaHeight; ++i) {
      (alpha[i] < 8 ? clear : alpha[i] > 247 ? solid : edge)++;
    }
    stbi_image_free(alpha);
    EXPECT_GT(clear, alphaWidth * alphaHeight / 10);
    EXPECT_GT(solid, alphaWidth * alphaHeight / 50);
    EXPECT_GT(edge, 0);
  }
}

TEST(ShowPack, TheEnginesPackageReaderFindsEveryEntry) {
  testing_support::usePackage(AMBER_PACK_PATH);
  for (const auto& [name, bytes] : builtPack()) {
    fileBuffer buffer;
    ASSERT_TRUE(readFile(name.c_str(), buffer)) << name;
    EXPECT_TRUE(std::string(reinterpret_cast<const char*>(buffer.data), buffer.length) == bytes) << name;
  }
  testing_support::dropPackage();
}

TEST(ShowPack, ModelsReadBackChunkByChunk) {
  const auto cube = chunk_reader::read(builtPack().at("models/cube10by10.3ds"));
  ASSERT_EQ(cube.objects.size(), 1u);
  EXPECT_EQ(cube.objects[0].faces.size(), 12u);
  const auto title = chunk_reader::read(builtPack().at("models/title.3ds"));
  ASSERT_FALSE(title.objects.empty());
  ASSERT_EQ(title.materials.size(), 1u);
  EXPECT_EQ(title.objects[0].groups.at(0).material, title.materials[0].name);
}

TEST(ShowPack, PacktoolModelInfoBuildsBothModels) {
  const std::string folder = testing_support::makeTempFolder();
  for (const char* name : {"cube10by10.3ds", "title.3ds"}) {
    SCOPED_TRACE(name);
    const std::string& bytes = builtPack().at(std::string("models/") + name);
    const auto written = chunk_reader::read(bytes);
    testing_support::writeWholeFile(folder + "/" + name, bytes);
    const auto info = run(std::string(AMBER_PACKTOOL_EXECUTABLE) + " model-info " + folder + "/" + name);
    EXPECT_EQ(info.status, 0) << info.output;
    // One line per model: name, vertices, faces, groups; smooth objects keep their vertices.
    std::string expected;
    for (const auto& o : written.objects) {
      expected += o.name + "\t" + std::to_string(o.vertices.size()) + "\t" + std::to_string(o.faces.size()) +
                  "\t1\n";
    }
    EXPECT_EQ(info.output, expected);
  }
  fs::remove_all(folder);
}

TEST(ShowPack, BuildsAreByteIdentical) {
  const std::string folder = testing_support::makeTempFolder();
  const content::packSources sources{AMBER_CONTENT_FOLDER, ""};
  content::buildPack(sources, folder + "/first.zip");
  content::buildPack(sources, folder + "/second.zip");
  const std::string first = testing_support::readWholeFile(folder + "/first.zip");
  EXPECT_GT(first.size(), 100000u);
  EXPECT_TRUE(first == testing_support::readWholeFile(folder + "/second.zip"));
  // The build's own pack holds the same entries, bit for bit.
  for (const auto& entry : content::readArchive(folder + "/first.zip")) {
    EXPECT_TRUE(builtPack().at(entry.name) == entry.bytes) << entry.name;
  }
  fs::remove_all(folder);
}

TEST(ShowPack, BadScriptsStopTheBuildWithFileAndLine) {
  const std::string folder = testing_support::makeTempFolder();
  fs::create_directories(folder + "/sync");
  fs::copy(std::string(AMBER_CONTENT_FOLDER) + "/fx", folder + "/fx");
  std::string script = testing_support::readWholeFile(std::string(AMBER_CONTENT_FOLDER) + "/sync/show.sync");
  ASSERT_FALSE(script.empty());
  const std::string good = "    8:0:0       0       linear\n    20:0:0      2       step\n";
  const size_t at = script.find(good);
  ASSERT_NE(at, std::string::npos);
  const int line = 1 + static_cast<int>(std::count(script.begin(), script.begin() + static_cast<long>(at), '\n'));

  auto build = [&](const std::string& text) {
    testing_support::writeWholeFile(folder + "/sync/show.sync", text);
    return run(std::string(AMBER_PACKTOOL_EXECUTABLE) + " build --content " + folder + " " + folder + "/pack.zip");
  };
  const auto swapped = build(std::string(script).replace(at, good.size(), "    20:0:0 2 linear\n    8:0:0 0 step\n"));
  EXPECT_EQ(swapped.status, 1);
  EXPECT_NE(swapped.output.find("show.sync:" + std::to_string(line + 1) + ": key at row 8:0:0 of track tent.fade"),
            std::string::npos)
      << swapped.output;
  const auto unknown = build(std::string(script).replace(at, good.size(), "    8:0:0 0 wobble\n"));
  EXPECT_EQ(unknown.status, 1);
  EXPECT_NE(unknown.output.find("show.sync:" + std::to_string(line) + ": unknown interpolation \"wobble\""),
            std::string::npos)
      << unknown.output;
  const auto misspelt = build(script + "track tent.fad\n    0 1 step\n");
  EXPECT_EQ(misspelt.status, 1);
  EXPECT_NE(misspelt.output.find("track tent.fad is read by nothing in the show"), std::string::npos);
  const auto missing = build(script.substr(0, script.find("track kacsa.fade")));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.output.find("the show reads tracks no script defines: "), std::string::npos);
  EXPECT_NE(missing.output.find("kacsa.fade"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder + "/pack.zip"));

  // Shaders: one the show does not read, and one it reads that is missing.
  testing_support::writeWholeFile(folder + "/fx/stray.frag", "void main() {}\n");
  const auto stray = build(script);
  EXPECT_EQ(stray.status, 1);
  EXPECT_NE(stray.output.find("stray.frag: no part of the show reads this shader"), std::string::npos)
      << stray.output;
  fs::remove(folder + "/fx/stray.frag");
  fs::remove(folder + "/fx/basic.vert");
  const auto noShader = build(script);
  EXPECT_EQ(noShader.status, 1);
  EXPECT_NE(noShader.output.find("basic.vert: cannot read the shader"), std::string::npos) << noShader.output;
  EXPECT_FALSE(fs::exists(folder + "/pack.zip"));
  fs::copy_file(std::string(AMBER_CONTENT_FOLDER) + "/fx/basic.vert", folder + "/fx/basic.vert");

  const auto good_build = build(script);
  EXPECT_EQ(good_build.status, 0) << good_build.output;
  EXPECT_TRUE(fs::exists(folder + "/pack.zip"));
  fs::remove_all(folder);
}

TEST(Packtool, ListsEntriesAndDumpsTracksBackToTheScript) {
  const auto list = run(std::string(AMBER_PACKTOOL_EXECUTABLE) + " list " + AMBER_PACK_PATH);
  EXPECT_EQ(list.status, 0);
  const std::string& tentFade = builtPack().at("script/sync_tent.fade.track");
  EXPECT_NE(list.output.find(std::to_string(tentFade.size()) + " "), std::string::npos);
  EXPECT_NE(list.output.find("script/sync_tent.fade.track\n"), std::string::npos);
  EXPECT_NE(list.output.find("textures/starfield.jpg\n"), std::string::npos);

  // The pack's tracks, dumped to text and parsed again, are the script's.
  const auto dump = run(std::string(AMBER_PACKTOOL_EXECUTABLE) + " dump-track " + AMBER_PACK_PATH);
  ASSERT_EQ(dump.status, 0) << dump.output;
  std::map<std::string, std::vector<content::trackKey>> dumped;
  for (auto& track : content::parseSyncScript(dump.output, "dump").tracks) dumped[track.name] = track.keys;
  const auto script = content::readSyncScript(std::string(AMBER_CONTENT_FOLDER) + "/sync/show.sync");
  EXPECT_EQ(dumped.size(), script.tracks.size());
  for (const auto& track : script.tracks) EXPECT_EQ(dumped[track.name], track.keys) << track.name;

  const auto notAPack = run(std::string(AMBER_PACKTOOL_EXECUTABLE) + " list /nonexistent.zip");
  EXPECT_EQ(notAPack.status, 1);
  EXPECT_NE(notAPack.output.find("/nonexistent.zip: cannot open as a zip archive"), std::string::npos);
}

}  // namespace
