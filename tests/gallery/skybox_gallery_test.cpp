// Gallery: the star-field skybox seen from a turned camera.
#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/texture/registry.h"
#include "engine/components/skybox.h"
#include "support/gallery.h"
#include "support/image_files.h"

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Gallery = testing_support::galleryTest;

// A 512 x 512 star field: a deep blue-black sky with faint grain and a
// thousand stars, most of them single pixels, some brighter ones with a
// small cross of light, in a few tints. A fixed sequence makes the picture
// the same on every run.
std::string starfieldJpeg() {
  constexpr int side = 512;
  std::vector<uint8_t> pixels(side * side * 3);
  uint32_t seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int p = 0; p < side * side; ++p) {
    const int grain = static_cast<int>(next() % 5);
    pixels[p * 3] = static_cast<uint8_t>(3 + grain);
    pixels[p * 3 + 1] = static_cast<uint8_t>(4 + grain);
    pixels[p * 3 + 2] = static_cast<uint8_t>(16 + grain * 2);
  }
  const auto light = [&pixels](int x, int y, int level, int tint) {
    uint8_t* pixel = &pixels[((((y % side) + side) % side) * side + ((x % side) + side) % side) * 3];
    const int red = tint == 2 ? level * 4 / 5 : level;
    const int green = tint == 1 ? level * 9 / 10 : level;
    const int blue = tint == 0 ? level * 4 / 5 : level;
    pixel[0] = static_cast<uint8_t>(std::max<int>(pixel[0], red));
    pixel[1] = static_cast<uint8_t>(std::max<int>(pixel[1], green));
    pixel[2] = static_cast<uint8_t>(std::max<int>(pixel[2], blue));
  };
  for (int star = 0; star < 1000; ++star) {
    const int x = static_cast<int>(next() % side);
    const int y = static_cast<int>(next() % side);
    const int tint = static_cast<int>(next() % 3);
    const bool bright = next() % 12 == 0;
    light(x, y, 255, tint);
    if (!bright) continue;
    for (int reach = 1; reach <= 2; ++reach) {
      const int level = reach == 1 ? 200 : 110;
      light(x + reach, y, level, tint);
      light(x - reach, y, level, tint);
      light(x, y + reach, level, tint);
      light(x, y - reach, level, tint);
    }
  }
  return testing_support::jpegFile(side, side, 3, pixels);
}

TEST_F(Gallery, Skybox) {
  usePack({{"textures/starfield.jpg", starfieldJpeg()},
           {"script/sync_tentacleSkybox_ejel12_45van.bind.track",
            testing_support::constantTrack(1)}});
  for (auto entry = FWtexture::textureCache.begin(); entry != FWtexture::textureCache.end();) {
    entry = entry->first.rfind("starfield.jpg@@", 0) == 0 ? FWtexture::textureCache.erase(entry)
                                                          : std::next(entry);
  }
  auto* sky = new NGcomp::skybox();
  sky->load();
  setRow(1);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gfx::perspective(3.0f, 800.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  // A camera far from the origin looking up and sideways: the sky only
  // turns with it, and an edge of the cube crosses the view.
  gluLookAt(40, 5, -30, 41, 5.6, -30.8, 0, 1, 0);
  sky->draw();

  // Sky everywhere (no black left), dark on the whole, with stars in every
  // quarter of the picture.
  EXPECT_EQ(countPixels(0, 0, 1024, 768, 0, 0, 0, 2), 0);
  const int dark = countPixels(0, 0, 1024, 768, 10, 12, 30, 24);
  EXPECT_GT(dark, 1024 * 768 / 2);
  for (int quarter = 0; quarter < 4; ++quarter) {
    SCOPED_TRACE(quarter);
    const int left = (quarter % 2) * 512;
    const int top = (quarter / 2) * 384;
    EXPECT_GT(countPixels(left, top, 512, 384, 200, 200, 200, 60), 30);
  }
}

}  // namespace
