// The sanitizer build's runtime options (cmake/sanitizer_runtime.cpp) must
// keep small heap blocks off the one offset at which the leak check misreads
// a thread's TLS block and crashes at exit.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AMBER_TESTS_UNDER_ASAN 1
#endif
#endif

namespace {

// Mesa's JIT library's thread-local block is 24 bytes, and glibc takes it
// from malloc. 1024 blocks in a row run through every page offset that
// chunks of their size class can have.
TEST(SanitizerRuntime, NoTwentyFourByteBlockStartsSixteenBytesIntoAPage) {
#ifndef AMBER_TESTS_UNDER_ASAN
  GTEST_SKIP() << "only the sanitizer build's allocator is concerned";
#endif
  std::vector<void*> blocks;
  int misread = 0;
  for (int i = 0; i < 1024; ++i) {
    blocks.push_back(std::malloc(24));
    if (reinterpret_cast<std::uintptr_t>(blocks.back()) % 4096 == 16) ++misread;
  }
  for (void* block : blocks) std::free(block);
  EXPECT_EQ(misread, 0);
}

}  // namespace
