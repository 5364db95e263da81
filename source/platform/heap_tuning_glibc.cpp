#include "platform/heap_tuning.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AMBER_HEAP_IS_SANITIZERS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define AMBER_HEAP_IS_SANITIZERS 1
#endif

namespace platform {

namespace {

constexpr const char* largePagesTunable = "glibc.malloc.hugetlb";

// Allocations up to the largest texture level the show makes (2048 x 2048
// RGBA with its mipmaps is under 32 MiB) come from the heap.
constexpr int heapUpTo = 32 << 20;

}  // namespace

void useLargePageHeap(char** argv) {
#ifndef AMBER_HEAP_IS_SANITIZERS
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  const bool given = tunables != nullptr;
  const std::string current = given ? tunables : "";
  if (current.find(largePagesTunable) == std::string::npos && argv != nullptr) {
    const std::string wanted =
        (current.empty() ? "" : current + ":") + largePagesTunable + "=1";
    if (setenv("GLIBC_TUNABLES", wanted.c_str(), 1) == 0) {
      execv("/proc/self/exe", argv);
      // Not executed again: go on with the heap and the environment as they
      // were.
      if (given) {
        setenv("GLIBC_TUNABLES", current.c_str(), 1);
      } else {
        unsetenv("GLIBC_TUNABLES");
      }
    }
  }
  mallopt(M_MMAP_THRESHOLD, heapUpTo);
#else
  (void)argv;
#endif
}

}  // namespace platform
