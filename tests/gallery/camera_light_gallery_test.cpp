// Gallery: the shell's camera and light, driven by their tracks, on a lit
// model. The light swings from the right of the model to its left between
// two rows; the camera orbits a little at the same time.
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/render/camera.h"
#include "engine/components/camera.h"
#include "engine/components/light.h"
#include "engine/components/model.h"
#include "engine/rocket/track_group.h"
#include "engine/shell.h"
#include "support/gallery.h"
#include "support/three_ds_writer.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

using Gallery = testing_support::galleryTest;
using namespace testing_support;

// A smooth sphere of `radius` around the origin, counter-clockwise from
// outside.
meshSpec sphere(const std::string& name, float radius) {
  constexpr int slices = 32;
  constexpr int stacks = 16;
  meshSpec ball;
  ball.name = name;
  for (int stack = 0; stack <= stacks; ++stack) {
    const float elevation = 3.14159265f * (static_cast<float>(stack) / stacks - 0.5f);
    for (int slice = 0; slice <= slices; ++slice) {
      const float azimuth = 6.2831853f * static_cast<float>(slice) / slices;
      ball.vertices.push_back({radius * std::cos(elevation) * std::cos(azimuth),
                               radius * std::cos(elevation) * std::sin(azimuth),
                               radius * std::sin(elevation)});
    }
  }
  for (int stack = 0; stack < stacks; ++stack) {
    for (int slice = 0; slice < slices; ++slice) {
      const auto a = static_cast<uint16_t>(stack * (slices + 1) + slice);
      const auto b = static_cast<uint16_t>(a + slices + 1);
      ball.faces.push_back({a, static_cast<uint16_t>(a + 1), static_cast<uint16_t>(b + 1)});
      ball.faces.push_back({a, static_cast<uint16_t>(b + 1), b});
    }
  }
  std::vector<uint16_t> all;
  for (size_t f = 0; f < ball.faces.size(); ++f) all.push_back(static_cast<uint16_t>(f));
  ball.groups = {{"Amber", all}};
  ball.smoothing.assign(ball.faces.size(), 1);
  return ball;
}

// Sum of the red channel over a rectangle (from the top-left).
long redSum(int left, int top, int width, int height) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(left, kContextHeight - top - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
               pixels.data());
  long sum = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) sum += pixels[i];
  return sum;
}

// Forgets the shell's items when the test ends; the fixture deletes them.
struct shellItemsForgotten {
  ~shellItemsForgotten() {
    cam0 = cam1 = nullptr;
    light0 = nullptr;
    delete clearGroup;
    clearGroup = nullptr;
    NGcomp::resetLightCounter();
  }
};

TEST_F(Gallery, CameraAndLightShadeAModel) {
  shellItemsForgotten forget;
  materialSpec amber;
  amber.name = "Amber";
  amber.ambient = colourSpec{{0.4f, 0.28f, 0.08f}};
  amber.diffuse = colourSpec{{1.0f, 0.7f, 0.2f}};
  amber.specular = colourSpec{{0.6f, 0.6f, 0.6f}};
  amber.shininessFloat = 40.0f;  // the GL exponent as it is
  std::vector<zipEntry> entries = {
      {"models/gallery-ball.3ds", serialise(file3ds({amber}, {sphere("Ball", 1.5f)}))},
      {"script/sync_cam0.bind.track", constantTrack(1.0f)},
      {"script/sync_cam0.e.x.track", constantTrack(7.0f)},
      // Looking along +y from the -y side, a little from above; the orbit
      // turns ten degrees between rows 1 and 9.
      {"script/sync_cam0.e.y.track", trackFile({{1, -90.0f, 1}, {9, -80.0f, 0}})},
      {"script/sync_cam0.e.z.track", constantTrack(20.0f)},
      {"script/sync_light0.bind.track", constantTrack(1.0f)},
      // Right of the model at row 1, left of it from row 9 on.
      {"script/sync_light0.pos.x.track", trackFile({{1, 8.0f, 0}, {9, -8.0f, 0}})},
      {"script/sync_light0.pos.y.track", constantTrack(-2.0f)},
      {"script/sync_light0.pos.z.track", constantTrack(3.0f)}};
  for (const char* track :
       {"cam1.bind", "cam0.c.x", "cam0.c.y", "cam0.c.z", "cam0.rot", "cam1.c.x", "cam1.c.y",
        "cam1.c.z", "cam1.e.x", "cam1.e.y", "cam1.e.z", "cam1.rot", "clear.c.r", "clear.c.g",
        "clear.c.b"}) {
    entries.push_back({std::string("script/sync_") + track + ".track", trackFile({})});
  }
  usePack(entries);

  NGcomp::resetLightCounter();
  createShellItems();
  auto* ball = new NGcomp::model3ds("gallery-ball.3ds", "ball");
  ball->bindable = false;
  cam0->load();
  cam1->load();
  light0->load();
  ball->load();
  bindShellGroups();

  auto frame = [&](float row) {
    setRow(row);
    gfx::clearScreen(0, 0, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    cam0->draw();
    cam1->draw();  // inactive: leaves cam0's view
    light0->draw();
    ball->draw();
  };

  // Light on the right: the right half of the ball is the brighter.
  frame(1.0f);
  const long rightLit = redSum(512, 184, 200, 400);
  const long leftDark = redSum(312, 184, 200, 400);
  EXPECT_GT(rightLit, 2 * leftDark);
  const float eyeY = -7.0f * std::cos(20.0f * 3.14159265f / 180);
  EXPECT_NEAR(cam0->renderCamera->eyeResolved[1], eyeY, 1e-3f);

  // Light on the left, the camera turned ten degrees: the other way round.
  frame(9.0f);
  const long rightDark = redSum(512, 184, 200, 400);
  const long leftLit = redSum(312, 184, 200, 400);
  EXPECT_GT(leftLit, 2 * rightDark);
  EXPECT_GT(leftLit, rightLit / 2);
  // The ambient light keeps the dark side from going black.
  EXPECT_EQ(countLit(580, 374, 20, 20), 400);
  EXPECT_EQ(countLit(0, 0, 1024, 100), 0);
}

}  // namespace
