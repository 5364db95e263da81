// Gallery: screen-space sprites, one with a picture from the package and one
// with a generated text texture.
#include "api/gl/screen_quad.h"
#include "api/render/texture.h"
#include "api/texture/dyn_texture.h"
#include "api/texture/registry.h"
#include "api/texture/text_texture.h"
#include "engine/components/sprite.h"
#include "support/gallery.h"
#include "support/image_files.h"

#include <vector>

namespace {

using Gallery = testing_support::galleryTest;

// A 64 x 64 warm gradient, dark at the top-left and bright at the
// bottom-right, with a light frame and a diagonal stripe pattern.
std::vector<uint8_t> amberTile() {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      const int shade = (x + y) * 2;  // 0 .. 252
      const bool frame = x < 2 || y < 2 || x > 61 || y > 61;
      const bool stripe = ((x + 63 - y) / 8) % 2 == 0;
      const int boost = frame ? 80 : (stripe ? 24 : 0);
      pixels.push_back(static_cast<uint8_t>(std::min(255, 60 + shade * 3 / 4 + boost)));
      pixels.push_back(static_cast<uint8_t>(std::min(255, 30 + shade / 2 + boost)));
      pixels.push_back(static_cast<uint8_t>(std::min(255, 10 + boost / 2)));
    }
  }
  return pixels;
}

TEST_F(Gallery, Sprite) {
  usePack({{"textures/gallery-amber.png", testing_support::pngFile(64, 64, 3, amberTile())},
           {"script/sync_amberSprite.bind.track", testing_support::constantTrack(1)}});
  auto* tile = new NGcomp::sprite("gallery-amber.png", "amberSprite");
  tile->quad->pixelMode = 1;
  tile->quad->alignment = 0x55;  // centred on the screen centre
  tile->quad->scaleX = 480;
  tile->quad->scaleY = 480;
  gfx::layoutScreenQuad(*tile->quad);
  tile->load();
  setRow(1);
  tile->draw();

  // The square spans 272 .. 751 across and 144 .. 623 down; black around it.
  EXPECT_EQ(countLit(272, 144, 480, 480), 480 * 480);
  EXPECT_EQ(countLit(0, 0, 1024, 144), 0);
  EXPECT_EQ(countLit(0, 624, 1024, 144), 0);
  EXPECT_EQ(countLit(0, 144, 272, 480), 0);
  EXPECT_EQ(countLit(752, 144, 272, 480), 0);
  // Upright: the dark corner of the picture is at the top-left.
  const testing_support::rgba topLeft = testing_support::pixelAt(290, 162);
  const testing_support::rgba bottomRight = testing_support::pixelAt(733, 605);
  EXPECT_LT(topLeft.r + 60, bottomRight.r);
  EXPECT_GT(topLeft.r, topLeft.b);
}

TEST_F(Gallery, TextSprite) {
  usePack({{"readme.txt", "no textures"}});
  FWtexture::registerTextTexture("gallery-greeting", "Amber Pudding greets you");
  auto* greeting = new NGcomp::sprite("gallery-greeting", "greeting");
  greeting->bindable = false;
  // The text sits in the top 48 rows of its 512 x 512 texture: show the top
  // eighth of it, twice as large, across the middle of the picture.
  greeting->quad->pixelMode = 1;
  greeting->quad->scaleX = 1024;
  greeting->quad->scaleY = 128;
  greeting->quad->y = 320;
  greeting->quad->t1 = 0.125f;
  gfx::layoutScreenQuad(*greeting->quad);
  greeting->load();
  ASSERT_NE(greeting->texture->glId, 0u);
  greeting->draw();
  FWtexture::textureGenerators.erase("gallery-greeting");

  // White letters, 96 pixels high at most, from the left edge along the
  // top of the band; nothing above or below the band.
  const int ink = countPixels(0, 320, 1024, 128, 255, 255, 255, 64);
  EXPECT_GT(ink, 6000);
  EXPECT_EQ(countLit(0, 0, 1024, 320), 0);
  EXPECT_EQ(countLit(0, 448, 1024, 320), 0);
  EXPECT_EQ(countLit(0, 420, 1024, 28), 0);
  EXPECT_GT(countLit(0, 320, 100, 100), 300);
}

}  // namespace
