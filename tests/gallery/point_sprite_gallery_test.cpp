// Gallery: a glowing point sprite and a particle set in perspective.
#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "api/model/particles.h"
#include "api/model/point_sprite.h"
#include "api/render/texture.h"
#include "engine/components/point_sprite.h"
#include "support/gallery.h"
#include "support/image_files.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Gallery = testing_support::galleryTest;

// A 64 x 64 RGBA glow: warm white, fully opaque in the middle and fading
// to nothing at the rim.
std::string glowPng() {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const float dx = (x - 31.5f) / 31.5f;
      const float dy = (y - 31.5f) / 31.5f;
      const float fade = std::max(0.0f, 1.0f - std::sqrt(dx * dx + dy * dy));
      pixels.push_back(255);
      pixels.push_back(static_cast<uint8_t>(200 + 55 * fade));
      pixels.push_back(static_cast<uint8_t>(120 + 135 * fade));
      pixels.push_back(static_cast<uint8_t>(std::min(255.0f, 255.0f * fade * 1.6f)));
    }
  }
  return testing_support::pngFile(64, 64, 4, pixels);
}

void lookFrom(float x, float y, float z) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gfx::perspective(3.0f, 800.0f);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  gluLookAt(x, y, z, 0, 0, 0, 0, 1, 0);
}

struct point {
  int x, y;
};

point toScreen(float x, float y, float z) {
  double model[16];
  double projection[16];
  GLint viewport[4];
  glGetDoublev(GL_MODELVIEW_MATRIX, model);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  double wx = 0, wy = 0, wz = 0;
  gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz);
  return {static_cast<int>(std::lround(wx)),
          testing_support::kContextHeight - static_cast<int>(std::lround(wy))};
}

TEST_F(Gallery, PointSprite) {
  usePack({{"textures/gallery-glow.png", glowPng()},
           {"script/sync_glow.bind.track", testing_support::constantTrack(1)}});
  auto* glow = new NGcomp::pointsprite("glow", "gallery-glow.png");
  glow->load();
  setRow(1);
  lookFrom(8, 6, 18);
  glow->sprite->halfWidth = glow->sprite->halfHeight = 6;
  glow->draw();

  // A round glow centred on the origin: bright in the middle, dark in the
  // corners of its square, fading in between.
  const point centre = toScreen(0, 0, 0);
  const testing_support::rgba middle = testing_support::pixelAt(centre.x, centre.y);
  EXPECT_GT(middle.r, 240);
  EXPECT_GT(middle.b, 200);
  // Pixels per unit at the sprite's distance: the 60 degree view is 768
  // pixels high and 16:9 wide, stretched over 1024.
  const double unitsHigh = std::tan(3.14159265 / 6) * std::sqrt(8.0 * 8 + 6 * 6 + 18 * 18);
  const int halfX = static_cast<int>(6 * 288 / unitsHigh);
  const int halfY = static_cast<int>(6 * 384 / unitsHigh);
  const int cornerX = halfX / 5;
  const int cornerY = halfY / 5;
  EXPECT_EQ(countLit(centre.x - halfX + 1, centre.y - halfY + 1, cornerX, cornerY), 0);
  EXPECT_EQ(countLit(centre.x + halfX - cornerX - 1, centre.y + halfY - cornerY - 1, cornerX, cornerY),
            0);
  const testing_support::rgba outer = testing_support::pixelAt(centre.x + halfX * 3 / 4, centre.y);
  EXPECT_GT(outer.r, 40);
  EXPECT_LT(outer.r, middle.r - 60);
  EXPECT_EQ(countLit(0, 0, 1024, centre.y - halfY - 2), 0);
  EXPECT_EQ(countLit(0, centre.y + halfY + 2, 1024, 768 - centre.y - halfY - 2), 0);
}

TEST_F(Gallery, ParticleSet) {
  usePack({{"textures/gallery-glow.png", glowPng()}});
  FWrender::texture glowTexture;
  glowTexture.name = "gallery-glow.png";
  glowTexture.load();
  ASSERT_NE(glowTexture.glId, 0u);

  lookFrom(0, 8, 30);
  // A slate-blue slab in the middle, drawn with depth first.
  glColor3f(0.25f, 0.3f, 0.45f);
  glBegin(GL_QUADS);
  glVertex3f(-5, -4, 0);
  glVertex3f(5, -4, 0);
  glVertex3f(5, 4, 0);
  glVertex3f(-5, 4, 0);
  glEnd();

  // A spiral of particles through the slab, coloured round the hue circle;
  // those behind the slab show through it.
  FWmodel::particles spiral;
  spiral.setTexture(&glowTexture);
  constexpr int count = 60;
  for (int i = 0; i < count; ++i) {
    const int32_t index = spiral.addParticle();
    const float turn = i / static_cast<float>(count);
    const float angle = turn * 4.0f * 3.14159265f;
    const float reach = 3.0f + 9.0f * turn;
    spiral.positions[index] = {reach * std::cos(angle), -6.0f + 12.0f * turn,
                               reach * std::sin(angle)};
    spiral.sizes[index] = 0.6f + 1.2f * turn;
    const float hue = turn * 6.0f;
    const auto channel = [&](float offset) {
      const float h = std::fmod(hue + offset, 6.0f);
      return std::clamp(std::fabs(h - 3.0f) - 1.0f, 0.0f, 1.0f);
    };
    spiral.colors[index] = {channel(0.0f), channel(4.0f), channel(2.0f), 0.9f};
  }
  const point slabCentre = toScreen(0, 0, 0);
  const testing_support::rgba slab = testing_support::pixelAt(slabCentre.x, slabCentre.y);
  gfx::polygonCount = 0;
  spiral.draw();
  EXPECT_EQ(gfx::polygonCount, 2 * count);

  // Every particle's centre is lit, mostly in its own colour (later, nearer
  // particles may cover it partly), even behind the slab.
  int ownColour = 0;
  int behindSlab = 0;
  for (int i = 0; i < count; ++i) {
    const auto& where = spiral.positions[static_cast<size_t>(i)];
    const point centre = toScreen(where[0], where[1], where[2]);
    const testing_support::rgba pixel = testing_support::pixelAt(centre.x, centre.y);
    const auto& colour = spiral.colors[static_cast<size_t>(i)];
    SCOPED_TRACE(i);
    EXPECT_GT(pixel.r + pixel.g + pixel.b, 100);
    // The brightest channel of the particle's colour is bright on screen.
    const int strongest = colour[0] >= colour[1] && colour[0] >= colour[2] ? pixel.r
                          : colour[1] >= colour[2]                       ? pixel.g
                                                                         : pixel.b;
    if (strongest > 150) ++ownColour;
    if (where[2] < 0 && std::fabs(where[0]) < 4.5f && std::fabs(where[1]) < 3.5f) {
      ++behindSlab;
      EXPECT_FALSE(pixel.r == slab.r && pixel.g == slab.g && pixel.b == slab.b);
    }
  }
  EXPECT_GT(ownColour, count * 4 / 5);
  EXPECT_GT(behindSlab, 2);
}

}  // namespace
