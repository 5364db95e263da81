#pragma once

#include <string>
#include <utility>
#include <vector>

// Zip archives for tests, written with minizip's own writer.
namespace testing_support {

struct zipEntry {
  std::string name;
  std::string bytes;
  bool stored = false;  // no compression
};

// Writes the entries in order into a new archive at `path`; false on error.
bool writeZip(const std::string& path, const std::vector<zipEntry>& entries);

// A fresh empty folder under /tmp, removed with everything in it when the
// test process ends.
std::string makeTempFolder();

// Reads a whole file (empty when missing).
std::string readWholeFile(const std::string& path);
void writeWholeFile(const std::string& path, const std::string& bytes);

// Opens the archive at `path` as the show's package (closing any open one).
void usePackage(const std::string& path);
// Closes the show's package if one is open.
void dropPackage();

}  // namespace testing_support
