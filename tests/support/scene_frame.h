#pragma once

#include "support/gallery.h"
#include "support/test_package.h"

#include <string>
#include <vector>

// The show's own scenes on the built pack: the shell's cameras and light,
// the scene target, the tunnel, title and duck scenes set up, loaded and
// bound, and frames drawn the way the show's frame routine composes them.
namespace testing_support {

class sceneFrameTest : public galleryTest {
 protected:
  // The gallery context, the built pack, the show's random sequence from
  // its start.
  void SetUp() override;
  // Releases the scene target and forgets the shell's items.
  void TearDown() override;

  // The built pack with `replaced` entries (tracks, usually) swapped in or
  // added; the soundtrack is left out.
  void useShowPackWith(const std::vector<zipEntry>& replaced);

  // From no items, a fresh sync device and the random sequence's start: shell items, the scene
  // target, then the tunnel, title and duck set-ups in show order; every
  // item loaded; shell and scene groups bound.
  void buildScenes();

  // The start of a frame at `row`: projection, "cam0" and "light0", the
  // tracked clear, light 0 off and lighting on.
  void beginFrame(float row);
  // A whole frame at `row` through the show's own frame routine.
  void drawFrame(float row);
};

// "script/sync_<track>.track" holding `value` at every row.
zipEntry constantTrackEntry(const std::string& track, float value);

}  // namespace testing_support
