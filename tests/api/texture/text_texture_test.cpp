#include "api/texture/gen_text.h"
#include "api/texture/text_texture.h"

#include "api/gl/gl.h"
#include "api/texture/dyn_texture.h"
#include "api/texture/registry.h"
#include "support/headless_gl.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Where the ink of a 4-channel (or `channel`-th channel of any) bitmap lies.
struct inkBox {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  int pixels = 0;
  int height() const { return bottom - top + 1; }
  int width() const { return right - left + 1; }
};

inkBox inkOf(const FWtexture::bitmap& image, int channel = 3) {
  inkBox box;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t value =
          image.pixels[(static_cast<size_t>(y) * image.width + x) * image.channels + channel];
      if (value < 128) continue;
      ++box.pixels;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y);
    }
  }
  return box;
}

// A bitmap with its own zeroed buffer of width x height x channels bytes.
void givePixels(FWtexture::bitmap& image, int width, int height, int channels) {
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.pixels = static_cast<uint8_t*>(std::calloc(static_cast<size_t>(width) * height, channels));
}

// Renders `text` with `settings` (text filled in) into a fresh 256 x 128 RGBA target.
inkBox render(FWtexture::gen_text settings, const char* text, int* result = nullptr) {
  FWtexture::bitmap image;
  givePixels(image, 256, 128, 4);
  settings.text = text;
  const int drawn = settings.generate(image);
  if (result != nullptr) *result = drawn;
  return inkOf(image);
}

FWtexture::gen_text timesAt(int32_t sizeFactor) {
  FWtexture::gen_text settings;
  settings.sizeFactor = sizeFactor;
  settings.fontIndex = 8;
  return settings;
}

TEST(TextTexture, AFreshTargetGets512SquareRgbaWithCoverageInAlpha) {
  FWtexture::bitmap image;  // as the loader makes it: no pixels yet
  ASSERT_EQ(image.pixels, nullptr);
  EXPECT_EQ(FWtexture::makeTextTexture(image, "Hxg"), 1);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(image.width, 512);
  EXPECT_EQ(image.height, 512);
  EXPECT_EQ(image.channels, 4);
  // A 48-pixel cell at the top-left: "H" reaches high, "g" reaches low.
  const inkBox ink = inkOf(image);
  EXPECT_GT(ink.pixels, 300);
  EXPECT_LT(ink.left, 6);
  EXPECT_LT(ink.top, 16);
  EXPECT_LE(ink.bottom, 47);
  EXPECT_GT(ink.height(), 35);
  EXPECT_LT(ink.right, 120);
  // White text: the colour channels and alpha all carry the coverage.
  int partial = 0;
  for (size_t p = 0; p < 512u * 512u; ++p) {
    const uint8_t* pixel = image.pixels + p * 4;
    ASSERT_EQ(pixel[0], pixel[3]);
    ASSERT_EQ(pixel[1], pixel[3]);
    ASSERT_EQ(pixel[2], pixel[3]);
    if (pixel[3] > 0 && pixel[3] < 255) ++partial;
  }
  EXPECT_GT(partial, 20);  // anti-aliased edges
}

TEST(TextTexture, ATargetThatHasPixelsKeepsItsSizeAndBuffer) {
  FWtexture::bitmap image;
  givePixels(image, 256, 64, 4);
  uint8_t* buffer = image.pixels;
  EXPECT_EQ(FWtexture::makeTextTexture(image, "Hxg"), 1);
  EXPECT_EQ(image.pixels, buffer);
  EXPECT_EQ(image.width, 256);
  EXPECT_EQ(image.height, 64);
  EXPECT_EQ(image.channels, 4);
  // 256 x 24 >> 8: a 24-pixel cell.
  const inkBox ink = inkOf(image);
  EXPECT_GT(ink.pixels, 50);
  EXPECT_LE(ink.bottom, 23);
  EXPECT_GT(ink.height(), 16);
}

TEST(TextTexture, NoTextDrawsNothingButStillGivesATransparentTarget) {
  FWtexture::bitmap image;
  EXPECT_EQ(FWtexture::makeTextTexture(image, nullptr), 0);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(image.width, 512);
  EXPECT_TRUE(std::all_of(image.pixels, image.pixels + 1048576, [](uint8_t b) { return b == 0; }));

  FWtexture::gen_text settings = timesAt(24);
  FWtexture::bitmap empty;  // no pixels: nothing to draw into
  settings.text = "Hello";
  EXPECT_EQ(settings.generate(empty), 0);
  EXPECT_EQ(empty.pixels, nullptr);
}

TEST(TextTexture, TheCellHeightFollowsTheTargetWidth) {
  const inkBox small = render(timesAt(48), "H");    // 256 x 48 >> 8 = 48
  const inkBox large = render(timesAt(96), "H");    // 96
  ASSERT_GT(small.pixels, 0);
  ASSERT_GT(large.pixels, 0);
  EXPECT_NEAR(static_cast<double>(large.height()) / small.height(), 2.0, 0.15);
  EXPECT_LE(large.bottom, 95);
}

TEST(TextTexture, OriginAndSpacingMoveTheInkByWholePixels) {
  const inkBox plain = render(timesAt(48), "HHHH");
  FWtexture::gen_text moved = timesAt(48);
  moved.x = 17;
  moved.y = 9;
  const inkBox shifted = render(moved, "HHHH");
  EXPECT_EQ(shifted.left, plain.left + 17);
  EXPECT_EQ(shifted.top, plain.top + 9);
  EXPECT_EQ(shifted.pixels, plain.pixels);

  FWtexture::gen_text spaced = timesAt(48);
  spaced.spacing = 5;
  const inkBox wide = render(spaced, "HHHH");
  EXPECT_EQ(wide.left, plain.left);
  EXPECT_EQ(wide.right, plain.right + 3 * 5);  // after each of the first three
}

TEST(TextTexture, WeightAndSlantChangeTheInk) {
  const inkBox regular = render(timesAt(48), "IIII");
  FWtexture::gen_text heavy = timesAt(48);
  heavy.bold = true;
  EXPECT_GT(render(heavy, "IIII").pixels, regular.pixels * 6 / 5);
  FWtexture::gen_text slanted = timesAt(48);
  slanted.italic = true;
  const inkBox leaning = render(slanted, "I");
  const inkBox upright = render(timesAt(48), "I");
  EXPECT_GT(leaning.width(), upright.width() + 3);
}

TEST(TextTexture, FaceIndicesPickDifferentFacesAndUnknownOnesStillDraw) {
  ASSERT_STREQ(FWtexture::fontFaces[8], "Times New Roman");
  ASSERT_STREQ(FWtexture::fontFaces[2], "Courier New");
  FWtexture::gen_text serif = timesAt(48);
  FWtexture::gen_text mono = timesAt(48);
  mono.fontIndex = 2;
  // A fixed-pitch face gives "i" as much room as "m".
  const inkBox serifRow = render(serif, "iiiiii");
  const inkBox monoRow = render(mono, "iiiiii");
  EXPECT_GT(monoRow.width(), serifRow.width() * 3 / 2);
  FWtexture::gen_text unknown = timesAt(48);
  unknown.fontIndex = 12;
  int drawn = 0;
  EXPECT_GT(render(unknown, "Hello", &drawn).pixels, 0);
  EXPECT_EQ(drawn, 1);
  unknown.fontIndex = -1;
  EXPECT_GT(render(unknown, "Hello").pixels, 0);
}

TEST(TextTexture, FewerChannelsTakeTheFirstBytesOfEachPixel) {
  FWtexture::bitmap grey;
  givePixels(grey, 128, 64, 1);
  FWtexture::gen_text settings = timesAt(96);
  settings.text = "Hg";
  EXPECT_EQ(settings.generate(grey), 1);
  EXPECT_GT(inkOf(grey, 0).pixels, 50);
  FWtexture::bitmap rgb;
  givePixels(rgb, 128, 64, 3);
  EXPECT_EQ(settings.generate(rgb), 1);
  const inkBox red = inkOf(rgb, 2);
  EXPECT_EQ(red.pixels, inkOf(grey, 0).pixels);
}

TEST(TextTexture, ARegisteredNameLoadsAsATextTexture) {
  ASSERT_TRUE(testing_support::headlessGl());
  testing_support::dropPackage();  // a package read would throw
  FWtexture::registerTextTexture("text-texture-hello", "first");
  FWtexture::registerTextTexture("text-texture-hello", "Hello");  // replaces the text
  FWtexture::dynTexture label;
  label.name = "text-texture-hello";
  label.load();
  ASSERT_NE(label.glId, 0u);
  EXPECT_EQ(label.params.width, 512);
  EXPECT_EQ(label.params.channels, 4);
  std::vector<uint8_t> texels(512u * 512u * 4u);
  glBindTexture(GL_TEXTURE_2D, label.glId);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  // Exactly what the generator draws for "Hello", uploaded at its own size.
  FWtexture::bitmap expected;
  FWtexture::makeTextTexture(expected, "Hello");
  EXPECT_GT(inkOf(expected).pixels, 500);
  EXPECT_TRUE(std::equal(texels.begin(), texels.end(), expected.pixels));
  FWtexture::textureGenerators.erase("text-texture-hello");
}

}  // namespace
