// Test folders go with the test process that made them, passed or failed.
#include "support/command.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// Run only by the test below, in a process of its own: makes a folder with
// a file in it, says where, and fails halfway.
TEST(TempFolders, DISABLED_MadeByATestThatFails) {
  const std::string folder = testing_support::makeTempFolder();
  std::ofstream(folder + "/inside.txt") << "left behind?";
  std::printf("folder: %s\n", folder.c_str());
  std::fflush(stdout);
  FAIL() << "failing on purpose";
}

TEST(TempFolders, GoWhenTheTestProcessEnds) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(length, 0);
  const testing_support::commandResult run = testing_support::runCommand(
      testing_support::shellQuoted(std::string(self, static_cast<size_t>(length))) +
      " --gtest_also_run_disabled_tests --gtest_filter=TempFolders.DISABLED_MadeByATestThatFails");
  EXPECT_EQ(run.status, 1) << run.output;
  const size_t at = run.output.find("folder: ");
  ASSERT_NE(at, std::string::npos) << run.output;
  const std::string folder = run.output.substr(at + 8, run.output.find('\n', at) - at - 8);
  EXPECT_EQ(folder.rfind("/tmp/amberpudding-test-", 0), 0u) << folder;
  EXPECT_FALSE(std::filesystem::exists(folder)) << folder;
}

}  // namespace
