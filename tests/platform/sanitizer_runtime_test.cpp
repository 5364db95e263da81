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

// The sanitizer runtime's options (cmake/sanitizer_runtime.cpp) keep Mesa's
// JIT library's 24-byte TLS block, which glibc takes from malloc, off the
// page offset where the leak check misreads it and crashes at exit. 1024
// blocks in a row run through every offset their size class can have.
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
