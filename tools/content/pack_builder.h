#pragma once

#include "content/zip_archive.h"

#include <string>
#include <vector>

// Builds the show's package from the content sources: tracks compiled from
// the sync scripts, pictures and models generated, the soundtrack copied.
namespace content {

struct packSources {
  std::string contentFolder;   // holds sync/*.sync
  std::string soundtrackPath;  // the MP3; empty builds the pack without it
};

// Every entry of the pack, sorted by name. Throws contentError for bad
// sources: a script error (file and line), a track the show does not read
// or one it reads missing from the scripts, a model over the limits. Runs the
// generators on two threads.
std::vector<archiveEntry> makePackEntries(const packSources& sources);

// The track entries compiled from the scripts in `syncFolder` (*.sync, in
// name order). Throws contentError.
std::vector<archiveEntry> compileSyncFolder(const std::string& syncFolder);

// makePackEntries, then the archive at `outputPath`.
void buildPack(const packSources& sources, const std::string& outputPath);

}  // namespace content
