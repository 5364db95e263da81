#pragma once

#include "support/headless_gl.h"
#include "support/rocket_fixture.h"

#include <string>

// The component gallery: each test renders one component kind on its own,
// headless, from a small package it writes, and checks the picture by
// reading pixels back. With AMBER_GALLERY_DIR set, every gallery test also
// saves its frame there as <TestName>.png for a person to look at.
namespace testing_support {

class galleryTest : public rocketTest {
 protected:
  // A 1024 x 768 headless context with a full 16:9 viewport, the initial GL
  // state, a black picture and a fresh sync device.
  void SetUp() override;
  // Saves the frame (when asked to) and deletes every item.
  void TearDown() override;

  // Puts the music at `row` (row 1.0 is the first sample) on a virtual clock.
  void setRow(float row);

  // The frame as it is now, written to AMBER_GALLERY_DIR/<name>.png when that
  // variable is set. Called by TearDown with the test's name.
  void saveFrame(const std::string& name);

  // Counts pixels in the rectangle whose red, green and blue all lie within
  // `tolerance` of the given colour.
  int countPixels(int left, int top, int width, int height, int red, int green, int blue,
                  int tolerance = 8);
  // Counts pixels in the rectangle that are not black.
  int countLit(int left, int top, int width, int height);
};

}  // namespace testing_support
