#pragma once

#include <string>

#include "song.h"

namespace songsynth {

// Reads a song description. `fileName` only names the source in messages.
// Throws songError naming file and line on the first fault.
song parseSong(const std::string& text, const std::string& fileName);

// Reads and parses the song file at `path`; throws songError when it cannot
// be read or does not parse.
song loadSongFile(const std::string& path);

}  // namespace songsynth
