// Runs "packtool model-info" on 3DS files the tests write, in an empty
// environment: no display, no window system.
#include "support/command.h"
#include "support/test_package.h"
#include "support/three_ds_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using namespace testing_support;

struct toolRun {
  int status = -1;
  std::string out;
  std::string errors;
};

toolRun modelInfo(const std::string& folder, const std::string& file) {
  const std::string errorPath = folder + "/stderr.txt";
  const std::string command = std::string("env -i ") + AMBER_PACKTOOL_EXECUTABLE +
                              " model-info '" + file + "' 2>'" + errorPath + "'";
  toolRun run;
  const testing_support::commandResult result = testing_support::runCommand(command);
  run.status = result.status;
  run.out = result.output;
  run.errors = readWholeFile(errorPath);
  return run;
}

class PacktoolModelInfo : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = makeTempFolder();
    ASSERT_FALSE(folder_.empty());
  }
  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_ + "/" + name;
    writeWholeFile(path, bytes);
    return path;
  }
  std::string folder_;
};

TEST_F(PacktoolModelInfo, PrintsOneLinePerBuiltModelInOrder) {
  meshSpec smooth = cubeMesh("Smooth Box");
  smooth.groups = {{"Wood", {0, 1, 2, 3, 4, 5}}, {"Stone", {6, 7, 8, 9, 10, 11}}};
  smooth.smoothing.assign(12, 1);
  meshSpec points;
  points.name = "Points";
  points.vertices = {{0, 0, 0}};
  points.withFaceList = false;
  materialSpec wood;
  wood.name = "Wood";
  const std::string path =
      write("scene.3ds", serialise(file3ds({wood}, {smooth, points, cubeMesh("Faceted")})));
  const toolRun run = modelInfo(folder_, path);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.out, "Smooth Box\t8\t12\t2\nFaceted\t36\t12\t0\n");
  EXPECT_EQ(run.errors, "");
}

TEST_F(PacktoolModelInfo, RejectedFilesGiveTheirMessageAndAFailingStatus) {
  std::string truncated = serialise(file3ds({}, {cubeMesh("Box")}));
  truncated.resize(truncated.size() - 30);
  toolRun run = modelInfo(folder_, write("cut.3ds", truncated));
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.errors.find("MODEL LOADER: Parsing 3ds file failed"), std::string::npos)
      << run.errors;

  run = modelInfo(folder_, write("text.3ds", "hello, this is not a model"));
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.errors.find("MODEL LOADER: Invalid 3ds file"), std::string::npos) << run.errors;

  meshSpec bad = cubeMesh("Bad");
  bad.faces[0] = {0, 1, 99};
  run = modelInfo(folder_, write("bad.3ds", serialise(file3ds({}, {bad}))));
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.errors.find("Invalid array index"), std::string::npos) << run.errors;

  run = modelInfo(folder_, folder_ + "/missing.3ds");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.errors.find("missing.3ds"), std::string::npos) << run.errors;
}

}  // namespace
