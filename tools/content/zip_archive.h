#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Zip archives for the show's package, written and read with minizip.
namespace content {

struct archiveEntry {
  std::string name;
  std::string bytes;
  bool compress = true;  // deflate; false stores the bytes (already-compressed media)
};

// Writes `entries` in the given order to `path`, replacing it only once the
// whole archive is written. Every entry gets the same fixed time stamp and
// attributes, so equal entries give byte-identical archives. Throws
// contentError when the file cannot be written.
void writeArchive(const std::string& path, const std::vector<archiveEntry>& entries);

struct archiveListing {
  std::string name;
  uint64_t size = 0;            // uncompressed
  uint64_t compressedSize = 0;
};

// The entries of the archive at `path` in directory order. Throws
// contentError when it is missing or not a zip archive.
std::vector<archiveListing> listArchive(const std::string& path);

// Every entry of the archive at `path` with its bytes, in directory order.
// Reads the whole archive into memory. Throws contentError.
std::vector<archiveEntry> readArchive(const std::string& path);

}  // namespace content
