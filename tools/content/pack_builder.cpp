#include "content/pack_builder.h"

#include "content/content_error.h"
#include "content/lettering.h"
#include "content/show_images.h"
#include "content/show_manifest.h"
#include "content/show_models.h"
#include "content/sync_script.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <set>
#include <sstream>

namespace content {

namespace {

namespace fs = std::filesystem;

std::string readBinary(const std::string& path, const char* what) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw contentError(path + ": cannot read the " + what);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<archiveEntry> asTextures(std::vector<namedFile> files) {
  std::vector<archiveEntry> entries;
  for (namedFile& file : files) {
    // JPEG and PNG data is compressed already: store it.
    entries.push_back(archiveEntry{"textures/" + file.name, std::move(file.bytes), false});
  }
  return entries;
}

std::vector<archiveEntry> makeModels(const std::string& fontPath) {
  return {archiveEntry{"models/cube10by10.3ds", write3ds(makeCubeScene(), "cube10by10.3ds"), true},
          archiveEntry{"models/title.3ds", write3ds(makeTitleScene(fontPath), "title.3ds"), true}};
}

// The GLSL sources in `fxFolder`: every one the show names must be there, and
// nothing else may be.
std::vector<archiveEntry> readShaders(const std::string& fxFolder) {
  const std::set<std::string> wanted(manifest::shaderNames().begin(), manifest::shaderNames().end());
  std::error_code error;
  for (const auto& item : fs::directory_iterator(fxFolder, error)) {
    const std::string name = item.path().filename().string();
    if (wanted.count(name) == 0) {
      throw contentError(item.path().string() + ": no part of the show reads this shader");
    }
  }
  if (error) throw contentError(fxFolder + ": cannot list the shaders: " + error.message());
  std::vector<archiveEntry> entries;
  for (const std::string& name : manifest::shaderNames()) {
    entries.push_back(archiveEntry{"fx/" + name, readBinary((fs::path(fxFolder) / name).string(), "shader"), true});
  }
  return entries;
}

}  // namespace

std::vector<archiveEntry> compileSyncFolder(const std::string& syncFolder) {
  std::vector<std::string> scripts;
  std::error_code error;
  for (const auto& item : fs::directory_iterator(syncFolder, error)) {
    if (item.is_regular_file() && item.path().extension() == ".sync") scripts.push_back(item.path().string());
  }
  if (error) throw contentError(syncFolder + ": cannot list the sync scripts: " + error.message());
  std::sort(scripts.begin(), scripts.end());
  if (scripts.empty()) throw contentError(syncFolder + ": no sync script (*.sync) found");

  std::map<std::string, std::string> definedIn;
  std::vector<archiveEntry> entries;
  for (const std::string& path : scripts) {
    const syncScript script = readSyncScript(path);
    for (const namedTrack& track : script.tracks) {
      const auto [where, fresh] = definedIn.emplace(track.name, path);
      if (!fresh) throw contentError(path + ": track " + track.name + " is also defined in " + where->second);
      entries.push_back(archiveEntry{trackEntryName(track.name), encodeTrack(track.keys), true});
    }
  }
  const std::set<std::string> wanted(manifest::trackNames().begin(), manifest::trackNames().end());
  for (const auto& [name, path] : definedIn) {
    if (wanted.count(name) == 0) {
      throw contentError(path + ": track " + name + " is read by nothing in the show (a misspelt name?)");
    }
  }
  std::string missing;
  for (const std::string& name : manifest::trackNames()) {
    if (definedIn.count(name) == 0) missing += (missing.empty() ? "" : ", ") + name;
  }
  if (!missing.empty()) {
    throw contentError(syncFolder + ": the show reads tracks no script defines: " + missing);
  }
  return entries;
}

std::vector<archiveEntry> makePackEntries(const packSources& sources) {
  // The scripts first: their mistakes are the likeliest, and stop the build at once.
  std::vector<archiveEntry> entries = compileSyncFolder((fs::path(sources.contentFolder) / "sync").string());
  const std::string fontPath = lettering::showFontPath();
  // The two largest generators run beside the rest.
  auto credits = std::async(std::launch::async, [&] { return asTextures(makeCreditImages(fontPath)); });
  auto sky = std::async(std::launch::async, [] { return asTextures({makeStarfieldImage()}); });
  auto append = [&entries](std::vector<archiveEntry> more) {
    for (archiveEntry& entry : more) entries.push_back(std::move(entry));
  };
  append(readShaders((fs::path(sources.contentFolder) / "fx").string()));
  append(makeModels(fontPath));
  append(asTextures(makeParticleImages()));
  append(asTextures(makeDuckImages()));
  append(asTextures(makeBadgeImages(fontPath)));
  append(sky.get());
  append(credits.get());
  if (!sources.soundtrackPath.empty()) {
    entries.push_back(
        archiveEntry{manifest::soundtrackEntry, readBinary(sources.soundtrackPath, "soundtrack"), false});
  }
  std::sort(entries.begin(), entries.end(),
            [](const archiveEntry& a, const archiveEntry& b) { return a.name < b.name; });
  return entries;
}

void buildPack(const packSources& sources, const std::string& outputPath) {
  writeArchive(outputPath, makePackEntries(sources));
}

}  // namespace content
