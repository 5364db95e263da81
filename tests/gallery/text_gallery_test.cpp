// Gallery: a line of text in the built-in font.
#include "api/gl/state.h"
#include "api/model/embedded_font.h"
#include "api/model/text.h"
#include "api/render/texture.h"
#include "support/gallery.h"

#include <vector>

namespace {

using Gallery = testing_support::galleryTest;

TEST_F(Gallery, TextLine) {
  const FWmodel::fontAtlas atlas = FWmodel::buildEmbeddedFontAtlas();
  std::vector<uint8_t> rgba(atlas.pixels.size() * 4);
  for (size_t i = 0; i < atlas.pixels.size(); ++i) {
    for (int c = 0; c < 4; ++c) rgba[i * 4 + c] = atlas.pixels[i] ? 255 : 0;
  }
  FWrender::texture atlasTexture;
  atlasTexture.params.width = atlasTexture.params.height = atlas.size;
  atlasTexture.params.channels = 4;
  atlasTexture.params.magFilter = atlasTexture.params.minFilter = 1;
  atlasTexture.glId = gfx::createTexture(atlasTexture.params, rgba.data());

  FWmodel::text line;
  line.buildGlyphLists(&atlasTexture, atlas.cellWidth, atlas.cellHeight);
  line.pixelMode = 1;
  line.glyphWidth = line.glyphHeight = 32;
  line.advance = 32;
  line.x = 32;
  line.y = 360;
  line.color[2] = 0.0f;  // amber-ish yellow
  line.setString("Amber Pudding");
  line.draw();

  // Thirteen 32-pixel cells of yellow ink on one line, nothing above or below.
  const int ink = countPixels(32, 360, 13 * 32, 32, 255, 255, 0);
  EXPECT_GT(ink, 13 * 32 * 32 / 5);
  EXPECT_EQ(countLit(0, 0, 1024, 360), 0);
  EXPECT_EQ(countLit(0, 392, 1024, 376), 0);
  EXPECT_EQ(countLit(32 + 13 * 32, 360, 1024 - 32 - 13 * 32, 32), 0);
}

}  // namespace
