// Runs the built packtool the way someone making content would.
#include "support/command.h"
#include "support/test_package.h"
#include "support/track_bytes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using testing_support::trackFile;
using testing_support::trackFileClaiming;

struct toolRun {
  int status = -1;
  std::string out;
  std::string errors;
};

// Runs packtool with `arguments` (already quoted for the shell).
toolRun runPacktool(const std::string& arguments) {
  static const std::string folder = testing_support::makeTempFolder();
  const std::string errorPath = folder + "/stderr.txt";
  const std::string command =
      std::string("'") + AMBER_PACKTOOL_EXECUTABLE + "' " + arguments + " 2>'" + errorPath + "'";
  toolRun run;
  const testing_support::commandResult result = testing_support::runCommand(command);
  run.status = result.status;
  run.out = result.output;
  run.errors = testing_support::readWholeFile(errorPath);
  return run;
}

class PacktoolTrackEval : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = testing_support::makeTempFolder();
    ASSERT_FALSE(folder_.empty());
  }
  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_ + "/" + name;
    testing_support::writeWholeFile(path, bytes);
    return path;
  }
  std::string folder_;
};

TEST_F(PacktoolTrackEval, PrintsTheValueAtEachRow) {
  const std::string path = write("a.b.track", trackFile({{0, 0.0f, 1}, {16, 2.0f, 0}}));
  const toolRun run = runPacktool("track-eval '" + path + "' 8 0 2.5 -3 16 100.25");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.out, "1\n0\n0.3125\n0\n2\n2\n");
  EXPECT_EQ(run.errors, "");
}

TEST_F(PacktoolTrackEval, PrintsNineSignificantDigits) {
  const std::string path = write("c.track", trackFile({{0, 0.1f, 0}, {4, -1.0f / 3.0f, 0}}));
  const toolRun run = runPacktool("track-eval '" + path + "' 1 5");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.out, "0.100000001\n-0.333333343\n");
}

TEST_F(PacktoolTrackEval, RefusesBrokenFilesWithAMessage) {
  const std::string truncated =
      write("short.track", trackFileClaiming(3, {{0, 0.0f, 1}, {16, 2.0f, 0}}));
  toolRun run = runPacktool("track-eval '" + truncated + "' 8");
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.errors.find("short.track"), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("3 keys need 31 bytes"), std::string::npos) << run.errors;

  const std::string negative = write("sync_neg.v.track", trackFileClaiming(-5, {}));
  run = runPacktool("track-eval '" + negative + "' 8");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.errors.find("track \"neg.v\""), std::string::npos) << run.errors;
  EXPECT_NE(run.errors.find("negative"), std::string::npos) << run.errors;

  run = runPacktool("track-eval '" + folder_ + "/missing.track' 8");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.errors.find("missing.track"), std::string::npos) << run.errors;
}

TEST_F(PacktoolTrackEval, RejectsRowsThatAreNotNumbers) {
  const std::string path = write("a.track", trackFile({{0, 1.0f, 0}}));
  EXPECT_EQ(runPacktool("track-eval '" + path + "' 8x").status, 2);
  EXPECT_EQ(runPacktool("track-eval '" + path + "'").status, 2);
}

TEST_F(PacktoolTrackEval, AnUnknownTypeIsReportedAndEvaluatesToZero) {
  const std::string path = write("t.track", trackFile({{0, 1.0f, 9}, {4, 2.0f, 0}}));
  const toolRun run = runPacktool("track-eval '" + path + "' 2 2.5 4");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "0\n0\n2\n");
  EXPECT_EQ(run.errors, "Assertion failed: 0, file source\\engine\\rocket\\track, line 59\n");
}

TEST(Packtool, HelpListsTrackEval) {
  const toolRun run = runPacktool("--help");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("track-eval FILE ROW..."), std::string::npos) << run.out;
}

}  // namespace
