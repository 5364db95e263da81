// The package reader over an arbitrary archive: the input becomes pack.zip,
// the show opens it, and every entry its directory names is read whole, as
// binary and as text, as the loaders do.
#include "engine/file_buffer.h"
#include "engine/package.h"
#include "fuzz_support.h"

#include <unzip.h>

#include <string>
#include <vector>

namespace {

// Entry names as the directory lists them (at most `limit`), read with the
// archive library directly: the package itself has no listing.
std::vector<std::string> entryNames(size_t limit) {
  std::vector<std::string> names;
  unzFile archive = unzOpen64(fuzzing::scratchPackagePath().c_str());
  if (archive == nullptr) return names;
  for (int status = unzGoToFirstFile(archive); status == UNZ_OK && names.size() < limit;
       status = unzGoToNextFile(archive)) {
    char name[512];
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(archive, &info, name, sizeof name, nullptr, 0, nullptr, 0) ==
        UNZ_OK) {
      names.emplace_back(name);
    }
  }
  unzClose(archive);
  return names;
}

void readEntry(const std::string& name) {
  fileBuffer buffer;
  try {
    readFile(name.c_str(), buffer);
    fuzzing::require(buffer.length > 0 && buffer.length < buffer.capacity,
                     "a read entry has bytes and room");
  } catch (int32_t code) {
    fuzzing::requireCode(code, {errorCode::packageEntryMissing});
  }
  try {
    readTextFile(name.c_str(), buffer);
    fuzzing::require(buffer.length > 1 && buffer.data[buffer.length - 1] == 0,
                     "a text read ends with its terminator");
  } catch (int32_t code) {
    fuzzing::requireCode(code, {errorCode::packageEntryMissing, errorCode::badIndex});
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzing::makeScratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzing::writeWholeFile(fuzzing::scratchPackagePath(), data, size);
  try {
    fuzzing::openScratchPackage();
  } catch (int32_t code) {
    fuzzing::requireCode(code, {errorCode::packageBroken});
    fuzzing::require(package == nullptr, "a refused archive leaves no package");
    return 0;
  }
  for (const std::string& name : entryNames(256)) readEntry(name);
  readEntry("no/such/entry");
  try {
    closePackage(package);
  } catch (int32_t code) {
    fuzzing::requireCode(code, {errorCode::packageBroken});
  }
  return 0;
}
