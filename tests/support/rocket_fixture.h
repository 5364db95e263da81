#pragma once

#include "engine/music.h"
#include "engine/package.h"
#include "engine/rocket/assertion.h"
#include "engine/rocket/data.h"
#include "support/test_package.h"
#include "support/track_bytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace testing_support {

// A fresh sync device over a package the test writes; music removed after.
class rocketTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = makeTempFolder();
    ASSERT_FALSE(folder_.empty());
    tracker_create_device();
    resetAssertionReports();
  }
  void TearDown() override {
    dropPackage();
    resetAssertionReports();
    if (music != nullptr) {
      delete music->stream;
      delete music;
      music = nullptr;
    }
  }

  // Writes pack.zip with `entries` and opens it as the package.
  void usePack(const std::vector<zipEntry>& entries) {
    const std::string path = folder_ + "/pack.zip";
    ASSERT_TRUE(writeZip(path, entries));
    usePackage(path);
  }

  std::string folder_;
};

// The error code `action` throws, or 0.
template <class Action>
int thrownCode(Action&& action) {
  try {
    action();
  } catch (int code) {
    return code;
  }
  return 0;
}

}  // namespace testing_support
