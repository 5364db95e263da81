// packtool dump-track and compile-sync: track files to sync-script text and back.
#include "command.h"

#include "content/content_error.h"
#include "content/sync_script.h"
#include "content/track_codec.h"
#include "content/zip_archive.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

constexpr const char* trackPrefix = "sync_";
constexpr const char* trackSuffix = ".track";

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// "script/sync_tent.fade.track" or "sync_tent.fade.track" -> "tent.fade"; empty otherwise.
std::string trackNameOf(const std::string& path) {
  const std::string file = fs::path(path).filename().string();
  const std::string prefix(trackPrefix), suffix(trackSuffix);
  if (file.rfind(prefix, 0) != 0 || !endsWith(file, suffix) || file.size() <= prefix.size() + suffix.size()) {
    return "";
  }
  return file.substr(prefix.size(), file.size() - prefix.size() - suffix.size());
}

void appendTrack(std::vector<content::namedTrack>& tracks, std::string& notes, const std::string& name,
                 const std::string& bytes, const std::string& source) {
  size_t trailing = 0;
  tracks.push_back(content::namedTrack{name, content::decodeTrack(bytes, source, &trailing)});
  if (trailing != 0) notes += "# " + source + ": " + std::to_string(trailing) + " bytes after the last key\n";
  for (const content::trackKey& key : tracks.back().keys) {
    if (content::interpolationName(key.type) == nullptr) {
      notes += "# " + source + ": interpolation code " + std::to_string(key.type) + " has no name\n";
      break;
    }
  }
}

int dumpTrack(const std::vector<std::string>& arguments) {
  if (arguments.empty()) {
    std::fprintf(stderr, "usage: packtool dump-track FILE.track|PACK.zip...\n");
    return 2;
  }
  std::vector<content::namedTrack> tracks;
  std::string notes;
  try {
    for (const std::string& path : arguments) {
      if (endsWith(path, ".zip")) {
        for (const content::archiveEntry& entry : content::readArchive(path)) {
          const std::string name = trackNameOf(entry.name);
          if (entry.name.rfind("script/", 0) == 0 && !name.empty()) {
            appendTrack(tracks, notes, name, entry.bytes, path + ":" + entry.name);
          }
        }
        continue;
      }
      const std::string name = trackNameOf(path);
      if (name.empty()) throw content::contentError(path + ": a track file is named sync_NAME.track");
      std::ifstream in(path, std::ios::binary);
      if (!in) throw content::contentError(path + ": cannot read");
      std::stringstream bytes;
      bytes << in.rdbuf();
      appendTrack(tracks, notes, name, bytes.str(), path);
    }
  } catch (const content::contentError& error) {
    std::fprintf(stderr, "packtool dump-track: %s\n", error.what());
    return 1;
  }
  std::fputs(notes.c_str(), stdout);
  std::fputs(content::formatSyncScript(tracks).c_str(), stdout);
  return 0;
}

int compileSync(const std::vector<std::string>& arguments) {
  if (arguments.size() < 2) {
    std::fprintf(stderr, "usage: packtool compile-sync SCRIPT... FOLDER\n");
    return 2;
  }
  const fs::path folder = arguments.back();
  try {
    for (size_t i = 0; i + 1 < arguments.size(); ++i) {
      for (const content::namedTrack& track : content::readSyncScript(arguments[i]).tracks) {
        const fs::path file = folder / (trackPrefix + track.name + trackSuffix);
        std::ofstream out(file, std::ios::binary);
        out << content::encodeTrack(track.keys);
        if (!out) throw content::contentError(file.string() + ": cannot write");
      }
    }
  } catch (const content::contentError& error) {
    std::fprintf(stderr, "packtool compile-sync: %s\n", error.what());
    return 1;
  }
  return 0;
}

const packtoolCommand dump("dump-track", "FILE.track|PACK.zip...",
                           "prints track files (or every track of a package) as sync-script text", dumpTrack);
const packtoolCommand compile("compile-sync", "SCRIPT... FOLDER",
                              "checks sync scripts and writes their tracks as FOLDER/sync_NAME.track", compileSync);

}  // namespace
