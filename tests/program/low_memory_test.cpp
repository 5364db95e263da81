// The show under an address-space limit (ulimit -v): whatever the limit,
// it either runs or says it ran out of memory, never "file not found" and
// never a crash.
#include "engine/errors.h"
#include "support/show_process.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

using testing_support::runShowIn;
using testing_support::showOptions;
using testing_support::showOutcome;

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AMBER_TESTS_UNDER_ASAN 1
#endif
#endif

TEST(LowMemory, EveryLimitEndsInTheShowOrTheOutOfMemoryHalt) {
#ifdef AMBER_TESTS_UNDER_ASAN
  GTEST_SKIP() << "AddressSanitizer maps terabytes of shadow memory: no show of this build "
                  "starts under an address-space limit";
#endif
  const std::string folder = testing_support::makeTempFolder();
  std::filesystem::create_symlink(AMBER_PACK_PATH, folder + "/pack.zip");
  showOptions options;
  // Standing in the greetings, whose render targets and programs are the
  // largest, at the default size.
  options.arguments = {"--no-dialog", "--hold", "80"};
  // Each rendering thread of Mesa's software driver takes about 150 MB of
  // address space; two, as on the 2-core machine where the show needs about
  // 800 MB, whatever this machine's cores.
  options.environment = {{"LP_NUM_THREADS", "2"}};
  int ran = 0;
  for (uint64_t megabytes = 150; megabytes <= 900; megabytes += 50) {
    options.addressSpaceLimit = megabytes << 20;
    const showOutcome outcome = runShowIn(folder, std::chrono::seconds(15), options);
    const std::string run = std::to_string(megabytes) + " MB: ";
    // The driver may still crash where it cannot map memory (checked before
    // each item loads, not inside its compiles): that leaves the crash line
    // naming the driver, never this program.
    const size_t crash = outcome.errors.find("Fatal signal ");
    if (!outcome.exited && crash != std::string::npos) {
      const std::string line = outcome.errors.substr(crash, outcome.errors.find('\n', crash) - crash);
      EXPECT_EQ(line.find(" in amberpudding "), std::string::npos) << run << line;
      std::printf("%s%s\n", run.c_str(), line.c_str());
      continue;
    }
    EXPECT_EQ(testing_support::badEnding(outcome), "") << run << outcome.errors;
    if (outcome.askedToStop) {
      ++ran;
      EXPECT_EQ(outcome.status, 0) << run << outcome.errors;
    } else {
      EXPECT_EQ(outcome.status, exitStatusFor(errorCode::outOfMemory)) << run << outcome.errors;
    }
    // Too little for the libraries, the driver and the first textures: it
    // says so before any window opens.
    if (megabytes == 150) {
      EXPECT_NE(outcome.errors.find("ENGINE: the address space is limited to 150 MB (ulimit -v)"),
                std::string::npos)
          << outcome.errors;
    }
  }
  EXPECT_GT(ran, 0) << "no limit up to 900 MB let the show run";
}

}  // namespace
