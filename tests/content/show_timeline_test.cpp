#include "content/sync_script.h"
#include "engine/package.h"
#include "engine/rocket/data.h"
#include "engine/rocket/track.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

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

// Greeting k belongs to row k of the cubes: while that row is the highlighted
// one, its lettering must be wholly inside a 1280 x 720 picture. The lettering
// is the top 48 of the label texture's 512 rows, on a camera-facing 50 x 50
// square; the label's place is only known to within its random offset of up to
// 30 on every axis, so every corner of that box must fit.
TEST_F(ShowTimeline, EachGreetingIsInThePictureWhileItsRowIsHighlighted) {
  const double pi = 3.14159265358979;
  const double tanHalfView = std::tan(30.0 * pi / 180.0);  // 60 degrees vertically
  const double aspect = 1280.0 / 720.0;
  const double spacing = 1000.0 / 19.0, jitter = 30.0, half = 25.0;
  const double letteringBottom = half - 2 * half * 48.0 / 512.0;
  std::vector<int> rowsShown(19, 0);
  for (double row = rowOf(40, 0); row < rowOf(64, 0); row += 1.0) {
    const int highlighted = static_cast<int>(at("kocka.sor", row));
    if (!on("griccTXT", row) || at("kocka.villog", row) <= 0.0f || highlighted > 18) continue;
    ++rowsShown[static_cast<size_t>(highlighted)];
    const double centre[3] = {at("cam0.c.x", row), at("cam0.c.y", row), at("cam0.c.z", row)};
    const double radius = at("cam0.e.x", row), azimuth = at("cam0.e.y", row) * pi / 180;
    const double elevation = at("cam0.e.z", row) * pi / 180;
    ASSERT_EQ(at("cam0.rot", row), 0.0f);
    const double eye[3] = {centre[0] + radius * std::cos(azimuth) * std::cos(elevation),
                           centre[1] + radius * std::sin(azimuth) * std::cos(elevation),
                           centre[2] + radius * std::sin(elevation)};
    // The view's axes as gluLookAt builds them, up being +z.
    double forward[3], side[3], up[3];
    for (int c = 0; c < 3; ++c) forward[c] = (centre[c] - eye[c]) / radius;
    side[0] = forward[1];
    side[1] = -forward[0];
    side[2] = 0;
    const double sideLength = std::hypot(side[0], side[1]);
    for (double& v : side) v /= sideLength;
    up[0] = side[1] * forward[2] - side[2] * forward[1];
    up[1] = side[2] * forward[0] - side[0] * forward[2];
    up[2] = side[0] * forward[1] - side[1] * forward[0];
    double worst = 0;
    for (int corner = 0; corner < 8; ++corner) {
      const double place[3] = {highlighted * spacing + ((corner & 1) ? jitter : -jitter),
                               (corner & 2) ? jitter : -jitter, (corner & 4) ? jitter : -jitter};
      double view[3] = {0, 0, 0};
      for (int c = 0; c < 3; ++c) {
        view[0] += side[c] * (place[c] - eye[c]);
        view[1] += up[c] * (place[c] - eye[c]);
        view[2] += forward[c] * (place[c] - eye[c]);
      }
      ASSERT_GT(view[2], 1.0) << "greeting " << highlighted << " behind the camera";
      for (double x : {view[0] - half, view[0] + half}) {
        worst = std::max(worst, std::fabs(x / view[2] / (tanHalfView * aspect)));
      }
      for (double y : {view[1] + letteringBottom, view[1] + half}) {
        worst = std::max(worst, std::fabs(y / view[2] / tanHalfView));
      }
    }
    EXPECT_LE(worst, 1.0) << "greeting " << highlighted << " leaves the picture at bar "
                          << (row - 1) / rowsPerBar;
  }
  for (size_t k = 0; k < rowsShown.size(); ++k) {
    EXPECT_GE(rowsShown[k], rowsPerBar / 2) << "row " << k << " is hardly highlighted";
  }
}

}  // namespace
