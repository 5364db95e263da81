#include "fuzz_support.h"

#include "engine/package.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzzing {

namespace {

std::string scratchFolder;
std::string packagePath;
std::string startFolder;

// Leaves nothing behind in /dev/shm when the run ends normally.
void removeScratchFolder() {
  std::remove(packagePath.c_str());
  rmdir(scratchFolder.c_str());
}

void changeFolder(const std::string& folder) {
  require(chdir(folder.c_str()) == 0, "the folder can be entered");
}

}  // namespace

void makeScratchFolder() {
  char shm[] = "/dev/shm/amber-fuzz-XXXXXX";
  char tmp[] = "/tmp/amber-fuzz-XXXXXX";
  const char* folder = mkdtemp(shm);
  if (folder == nullptr) folder = mkdtemp(tmp);
  char here[4096];
  if (folder == nullptr || getcwd(here, sizeof here) == nullptr) {
    std::perror("fuzz: no scratch folder");
    std::abort();
  }
  scratchFolder = folder;
  packagePath = scratchFolder + "/" + packageFileName;
  startFolder = here;
  std::atexit(removeScratchFolder);
}

const std::string& scratchPackagePath() { return packagePath; }

void writeWholeFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  require(file != nullptr, "the scratch file can be written");
  const size_t written = size == 0 ? 0 : std::fwrite(data, 1, size, file);
  require(std::fclose(file) == 0 && written == size, "the scratch file is written whole");
}

void openScratchPackage() {
  changeFolder(scratchFolder);
  try {
    openPackage();
  } catch (...) {
    changeFolder(startFolder);
    throw;
  }
  changeFolder(startFolder);
}

}  // namespace fuzzing
