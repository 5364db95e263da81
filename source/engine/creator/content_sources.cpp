#include "engine/creator/content_sources.h"

#include "content/content_error.h"
#include "content/sync_script.h"
#include "content/track_codec.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace creator {

namespace fs = std::filesystem;

namespace {

constexpr const char* trackPrefix = "script/sync_";
constexpr const char* trackSuffix = ".track";
constexpr const char* shaderPrefix = "fx/";

bool startsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

bool contentSources::compileScripts(std::string* error) {
  std::vector<std::string> scripts;
  std::error_code listing;
  for (const auto& item : fs::directory_iterator(syncFolder(), listing)) {
    if (item.is_regular_file() && item.path().extension() == ".sync") {
      scripts.push_back(item.path().string());
    }
  }
  if (listing) {
    *error = syncFolder() + ": cannot list the sync scripts: " + listing.message();
    return false;
  }
  if (scripts.empty()) {
    *error = syncFolder() + ": no sync script (*.sync) found";
    return false;
  }
  std::sort(scripts.begin(), scripts.end());
  std::map<std::string, std::string> compiled;
  std::map<std::string, std::string> definedIn;
  try {
    for (const std::string& path : scripts) {
      const content::syncScript script = content::readSyncScript(path);
      for (const content::namedTrack& track : script.tracks) {
        const auto [where, fresh] = definedIn.emplace(track.name, path);
        if (!fresh) {
          *error = path + ": track " + track.name + " is also defined in " + where->second;
          return false;
        }
        compiled[track.name] = content::encodeTrack(track.keys);
      }
    }
  } catch (const content::contentError& mistake) {
    *error = mistake.what();
    return false;
  }
  tracks_.swap(compiled);
  compiled_ = true;
  return true;
}

const std::string* contentSources::trackBytes(const std::string& trackName) const {
  const auto found = tracks_.find(trackName);
  return found != tracks_.end() ? &found->second : nullptr;
}

bool contentSources::entry(const std::string& path, std::string* bytes) const {
  if (startsWith(path, trackPrefix) && endsWith(path, trackSuffix)) {
    const size_t prefix = std::char_traits<char>::length(trackPrefix);
    const size_t suffix = std::char_traits<char>::length(trackSuffix);
    const std::string* found = trackBytes(path.substr(prefix, path.size() - prefix - suffix));
    if (found == nullptr) return false;
    *bytes = *found;
    return true;
  }
  if (startsWith(path, shaderPrefix)) {
    const std::string name = path.substr(std::char_traits<char>::length(shaderPrefix));
    if (name.empty() || name.find('/') != std::string::npos) return false;
    std::ifstream file(fs::path(fxFolder()) / name, std::ios::binary);
    if (!file) return false;
    std::ostringstream text;
    text << file.rdbuf();
    *bytes = text.str();
    return true;
  }
  return false;
}

}  // namespace creator
