#include "content/sync_script.h"
#include "engine/package.h"
#include "engine/rocket/data.h"
#include "engine/rocket/track.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

// The built pack's tracks, read by the engine's own track store and evaluated
// by its interpolation, against the script and the song's form.
namespace {

constexpr int rowsPerBar = 32;
constexpr int lastBar = 75;

double rowOf(int bar, double rowInBar) { return 1 + bar * rowsPerBar + rowInBar; }

class ShowTimeline : public ::testing::Test {
 protected:
  void SetUp() override {
    tracker_create_device();
    testing_support::usePackage(AMBER_PACK_PATH);
  }
  void TearDown() override { testing_support::dropPackage(); }

  static float at(const std::string& name, double row) {
    return sync_track_value(tracker_get_track(name.c_str()), row);
  }
  static bool on(const std::string& item, double row) { return at(item + ".bind", row) > 0.7f; }
};

TEST_F(ShowTimeline, TracksEvaluateAsWrittenAtTheirKeys) {
  const auto script = content::readSyncScript(std::string(AMBER_CONTENT_FOLDER) + "/sync/show.sync");
  for (const auto& track : script.tracks) {
    for (const auto& key : track.keys) {
      EXPECT_EQ(at(track.name, key.row), key.value) << track.name << " at " << content::formatRow(key.row);
      if (key.type == content::interpolation::step) {
        EXPECT_EQ(at(track.name, key.row + 0.5), key.value) << track.name;
      }
    }
  }
}

TEST_F(ShowTimeline, ScenesFollowTheSongForm) {
  for (int bar = 0; bar <= lastBar; ++bar) {
    for (double inBar : {0.0, 15.5, 31.9}) {
      const double row = rowOf(bar, inBar);
      SCOPED_TRACE("bar " + std::to_string(bar) + " row " + std::to_string(row));
      EXPECT_TRUE(on("cam0", row));
      EXPECT_TRUE(on("cam1", row));
      EXPECT_TRUE(on("light0", row));
      EXPECT_EQ(on("eleje", row), bar < 8);
      EXPECT_EQ(on("tent", row), bar >= 8 && bar < 24);
      EXPECT_EQ(on("cso0", row), bar >= 24 && bar < 40);
      EXPECT_EQ(on("gricc", row), bar >= 40 && bar < 64);
      EXPECT_EQ(on("griccTXT", row), bar >= 42 && bar < 64);
      EXPECT_EQ(on("kacsa", row), bar >= 64);
    }
  }
}

TEST_F(ShowTimeline, BlackOpensAndClosesWhiteFlashesTheCuts) {
  EXPECT_EQ(at("fekete.fade", 1.0), 1.0f);
  EXPECT_EQ(at("fekete.fade", rowOf(2, 0)), 0.0f);
  EXPECT_EQ(at("fekete.fade", rowOf(40, 0)), 0.0f);
  EXPECT_GT(at("fekete.fade", rowOf(75, 16)), 0.2f);
  EXPECT_EQ(at("fekete.fade", rowOf(76, 0)), 1.0f);
  for (int cut : {8, 24, 40, 48, 64}) {
    SCOPED_TRACE(cut);
    EXPECT_GE(at("feher.fade", rowOf(cut, 0)), 0.6f);
    EXPECT_EQ(at("feher.fade", rowOf(cut, 8)), 0.0f);   // gone within the beat
    EXPECT_EQ(at("feher.fade", rowOf(cut, -3)), 0.0f);  // and not there a beat before
    EXPECT_EQ(at("feher.fade", rowOf(cut - 1, 0)), 0.0f);
  }
}

TEST_F(ShowTimeline, CamerasStayClearOfThePoleAndInsideTheTunnel) {
  const float pi = 3.14159265f;
  for (double row = 1; row < rowOf(lastBar + 1, 0); row += 2.5) {
    SCOPED_TRACE(row);
    for (const char* camera : {"cam0", "cam1"}) {
      const std::string name(camera);
      // Elevations from 90 degrees on turn the roll over; the script keeps clear of them.
      EXPECT_LT(std::fabs(at(name + ".e.z", row)), 80.0f);
      EXPECT_GT(at(name + ".e.x", row), 20.0f);  // well beyond the near plane
    }
    if (!on("cso0", row)) continue;
    // The eye orbits the centre: it must stay inside the innermost tunnel (radius 25).
    const float radius = at("cam0.e.x", row), azimuth = at("cam0.e.y", row) * pi / 180;
    const float elevation = at("cam0.e.z", row) * pi / 180;
    const float y = at("cam0.c.y", row) + radius * std::sin(azimuth) * std::cos(elevation);
    const float z = at("cam0.c.z", row) + radius * std::sin(elevation);
    const float x = at("cam0.c.x", row) + radius * std::cos(azimuth) * std::cos(elevation);
    EXPECT_LT(std::hypot(y, z), 25.0f);
    EXPECT_GT(x, -300.0f);
    EXPECT_LT(x, 300.0f);
  }
}

TEST_F(ShowTimeline, GreetingsPickANewRowOfCubesEveryBar) {
  int previous = -1;
  for (int bar = 48; bar < 64; ++bar) {
    const int row = static_cast<int>(at("kocka.sor", rowOf(bar, 4.5)));
    EXPECT_GE(row, 0);
    EXPECT_LE(row, 20);
    EXPECT_NE(row, previous) << "bar " << bar;
    previous = row;
    // A blink on every kick: strong on the beat, faded before the next.
    for (int beat = 0; beat < 4; ++beat) {
      EXPECT_EQ(at("kocka.villog", rowOf(bar, beat * 8)), 1.0f);
      EXPECT_LT(at("kocka.villog", rowOf(bar, beat * 8 + 6.5)), 0.5f);
      EXPECT_EQ(at("tunnel.csoda", rowOf(bar - 24, beat * 8)), 1.0f);
    }
  }
  // The title rays: grown before the scatter, scattered at its end.
  EXPECT_EQ(at("tent.fade", rowOf(8, 0)), 0.0f);
  EXPECT_EQ(at("tent.fade", rowOf(22, 0)), 2.0f);
  EXPECT_EQ(at("tent.eltol", rowOf(22, 31)), 0.0f);
  EXPECT_GT(at("tent.eltol", rowOf(23, 31)), 0.9f);
}

}  // namespace
