#pragma once

#include "engine/errors.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

// Shared by the fuzz targets: what counts as a clean refusal, and a scratch
// folder for targets that need the input as a file.
namespace fuzzing {

// A refusal is clean when it is one of the codes this parser may throw;
// anything else is a finding, reported by aborting.
inline void requireCode(int32_t code, std::initializer_list<int32_t> expected) {
  for (int32_t allowed : expected) {
    if (code == allowed) return;
  }
  std::fprintf(stderr, "fuzz: unexpected error code %#x (%s)\n", static_cast<unsigned>(code),
               errorMessage(code));
  std::abort();
}

// Aborts with `what` unless `holds`.
inline void require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz: broken invariant: %s\n", what);
  std::abort();
}

// Makes a fresh folder for pack.zip (in memory when /dev/shm exists),
// removed again at exit. Call once at start-up.
void makeScratchFolder();

// Where pack.zip lives in the scratch folder.
const std::string& scratchPackagePath();

// Replaces the file at `path` with `size` bytes.
void writeWholeFile(const std::string& path, const uint8_t* data, size_t size);

// openPackage() exactly as the show calls it, on the scratch pack.zip: run
// from inside the scratch folder, then back in the folder the run started in
// (where libFuzzer writes its findings). Throws what openPackage throws.
void openScratchPackage();

}  // namespace fuzzing
