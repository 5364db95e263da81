#include "api/render/texture.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/state.h"
#include "api/texture/dyn_texture.h"
#include "api/texture/registry.h"
#include "api/texture/upload.h"
#include "engine/errors.h"
#include "support/headless_gl.h"
#include "support/image_files.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

int generatorCalls = 0;

void blueGenerator(FWtexture::bitmap& target, int32_t userValue) {
  ++generatorCalls;
  target.width = 2;
  target.height = 2;
  target.channels = 3;
  target.pixels = static_cast<uint8_t*>(std::malloc(12));
  for (int p = 0; p < 4; ++p) {
    target.pixels[3 * p] = 0;
    target.pixels[3 * p + 1] = static_cast<uint8_t>(userValue);
    target.pixels[3 * p + 2] = 255;
  }
}

class TextureLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(headlessGl());
    gfx::setupViewport(1024, 768, gfx::aspect16by9);
    gfx::initialState();
    folder_ = makeTempFolder();
    savedLoader_ = FWtexture::textureLoader;
  }
  void TearDown() override {
    FWtexture::textureLoader = savedLoader_;
    dropPackage();
    gfx::resetState();
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }

  void usePack(const std::vector<zipEntry>& entries) {
    const std::string path = folder_ + "/pack.zip";
    ASSERT_TRUE(writeZip(path, entries));
    usePackage(path);
  }

  static int loadCode(FWrender::texture& target) {
    try {
      target.load();
    } catch (int code) {
      return code;
    }
    return 0;
  }

  // The texture's level 0 as RGBA bytes.
  static std::vector<uint8_t> texels(GLuint name, int* side) {
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, side);
    std::vector<uint8_t> pixels(static_cast<size_t>(*side) * *side * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return pixels;
  }

  // A window-filling quad in white with texture coordinates 0..1, drawn with
  // whatever textures are bound.
  static void drawQuad() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(1, 0);
    glVertex2f(1, -1);
    glTexCoord2f(1, 1);
    glVertex2f(1, 1);
    glTexCoord2f(0, 1);
    glVertex2f(-1, 1);
    glEnd();
  }

  std::string folder_;
  FWtexture::loaderHook savedLoader_ = nullptr;
};

TEST_F(TextureLoad, PackageImageIsResampledToASquarePowerOfTwo) {
  usePack({{"textures/photo.png", pngFile(300, 200, 4, solidPixels(300, 200, {200, 100, 50, 255}))},
           {"textures/strip.jpg", jpegFile(384, 100, 3, solidPixels(384, 100, {0, 0, 0}))}});
  FWrender::texture photo;
  photo.name = "photo.png";
  photo.load();
  ASSERT_NE(photo.glId, 0u);
  EXPECT_EQ(photo.params.width, 256);
  EXPECT_EQ(photo.params.height, 256);
  EXPECT_EQ(photo.params.channels, 4);
  int side = 0;
  const std::vector<uint8_t> pixels = texels(photo.glId, &side);
  EXPECT_EQ(side, 256);
  EXPECT_EQ(pixels[0], 200);
  EXPECT_EQ(pixels[(255 * 256 + 255) * 4 + 1], 100);
  EXPECT_EQ(FWtexture::textureCache.at("photo.png@@AAAAA"), photo.glId);

  FWrender::texture strip;
  strip.name = "strip.jpg";
  strip.load();
  EXPECT_EQ(strip.params.width, 512);
  EXPECT_EQ(strip.params.channels, 3);
}

TEST_F(TextureLoad, SameNameAndCodesShareOneGlTexture) {
  usePack({{"textures/shared.png", pngFile(4, 4, 3, solidPixels(4, 4, {1, 2, 3}))}});
  FWrender::texture first;
  first.name = "shared.png";
  first.load();
  FWtexture::dynTexture second;
  second.name = "shared.png";
  second.params.wrapS = 2;  // not part of the key
  second.load();
  EXPECT_NE(first.glId, 0u);
  EXPECT_EQ(second.glId, first.glId);
  FWrender::texture trilinear;
  trilinear.name = "shared.png";
  trilinear.params.minFilter = 5;
  trilinear.params.generateMipmap = true;
  trilinear.load();
  EXPECT_NE(trilinear.glId, 0u);
  EXPECT_NE(trilinear.glId, first.glId);
  // A loaded texture is not loaded again.
  const uint32_t before = first.glId;
  first.params.minFilter = 4;
  first.load();
  EXPECT_EQ(first.glId, before);
}

TEST_F(TextureLoad, GeneratorsStandInForPackageFiles) {
  dropPackage();  // any package access would now fail with 257 or 258
  FWtexture::textureGenerators["generated-blue"] = {blueGenerator, 7};
  generatorCalls = 0;
  FWrender::texture generated;
  generated.name = "generated-blue";
  ASSERT_EQ(loadCode(generated), 0);
  ASSERT_NE(generated.glId, 0u);
  EXPECT_EQ(generatorCalls, 1);
  EXPECT_EQ(generated.params.width, 2);
  int side = 0;
  const std::vector<uint8_t> pixels = texels(generated.glId, &side);
  EXPECT_EQ(pixels[1], 7);
  EXPECT_EQ(pixels[2], 255);
  FWrender::texture again;
  again.name = "generated-blue";
  again.load();
  EXPECT_EQ(again.glId, generated.glId);
  EXPECT_EQ(generatorCalls, 1);
  FWtexture::textureGenerators.erase("generated-blue");
}

TEST_F(TextureLoad, MissingDamagedAndUnloadableFiles) {
  usePack({{"textures/broken.png", "\x89PNG but not really"}});
  FWrender::texture missing;
  missing.name = "nowhere.png";
  EXPECT_EQ(loadCode(missing), errorCode::packageEntryMissing);
  EXPECT_EQ(missing.glId, 0u);
  EXPECT_EQ(FWtexture::textureCache.count("nowhere.png@@AAAAA"), 0u);

  FWrender::texture broken;
  broken.name = "broken.png";
  EXPECT_EQ(loadCode(broken), errorCode::imageLoadFailed);
  EXPECT_STREQ(errorMessage(errorCode::imageLoadFailed),
               "IMAGE: Failed to load image (file not found or damaged)");
  EXPECT_EQ(broken.glId, 0u);

  FWtexture::textureLoader = nullptr;
  FWrender::texture unhooked;
  unhooked.name = "anything.png";
  EXPECT_EQ(loadCode(unhooked), 0);
  EXPECT_EQ(unhooked.glId, 0u);
  EXPECT_EQ(FWtexture::textureCache.count("anything.png@@AAAAA"), 0u);
}

TEST_F(TextureLoad, TinyImagesAreUploadedWithoutReadingPastTheirPixels) {
  usePack({{"textures/dot.png", pngFile(1, 1, 3, {9, 8, 7})},
           {"textures/column.png", pngFile(1, 3, 1, {0, 100, 200})}});
  FWrender::texture dot;
  dot.name = "dot.png";
  dot.load();
  ASSERT_NE(dot.glId, 0u);
  EXPECT_EQ(dot.params.width, 1);
  int side = 0;
  std::vector<uint8_t> pixels = texels(dot.glId, &side);
  EXPECT_EQ(side, 1);
  EXPECT_EQ(pixels[0], 9);

  FWrender::texture column;
  column.name = "column.png";
  column.load();
  EXPECT_EQ(column.params.width, 4);
  pixels = texels(column.glId, &side);
  EXPECT_EQ(pixels[(3 * 4 + 3) * 4], 200);  // bottom right: the last row
  EXPECT_EQ(pixels[3 * 4], 0);              // top right: the first row
}

TEST_F(TextureLoad, FourThousandWideImagesFollowTheTextureLimit) {
  FWrender::texture square;
  FWtexture::bitmap big;
  big.maxSize = 2048;
  big.width = 4096;
  big.height = 4096;
  big.channels = 1;
  big.pixels = static_cast<uint8_t*>(std::calloc(4096 * 4096, 1));
  FWtexture::uploadBitmap(big, square);
  EXPECT_EQ(square.params.width, 2048);
  EXPECT_EQ(big.width, 2048);

  FWrender::texture empty;
  FWtexture::bitmap noPixels;
  FWtexture::uploadBitmap(noPixels, empty);
  EXPECT_EQ(empty.glId, 0u);
}

TEST_F(TextureLoad, UnloadedTexturesShowWhiteOnUnitZeroAndNothingElsewhere) {
  FWtexture::textureGenerators["generated-green"] = {blueGenerator, 255};
  FWrender::texture coloured;
  coloured.name = "generated-green";
  coloured.load();
  FWtexture::textureGenerators.erase("generated-green");
  coloured.bind();
  drawQuad();
  rgba pixel = pixelAt(512, 384);
  EXPECT_EQ(pixel.r, 0);
  EXPECT_EQ(pixel.g, 255);
  EXPECT_EQ(pixel.b, 255);

  FWrender::texture unloaded;
  unloaded.bind();
  drawQuad();
  pixel = pixelAt(512, 384);
  EXPECT_EQ(pixel.r, 255);
  EXPECT_EQ(pixel.g, 255);
  EXPECT_EQ(pixel.b, 255);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(static_cast<GLuint>(bound), gfx::defaultTexture);

  ASSERT_GE(gfx::maxTextureUnits, 2);
  FWrender::texture onUnitOne;
  onUnitOne.unit = 1;
  onUnitOne.bind();
  GLint active = 0;
  glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
  EXPECT_EQ(active, GL_TEXTURE1);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ(bound, 0);
  onUnitOne.unbind();
  unloaded.unbind();
}

TEST_F(TextureLoad, BindLoadsScaleAndOffsetIntoTheTextureMatrix) {
  FWrender::texture shifted;
  shifted.unit = 1;
  shifted.scale[0] = 2;
  shifted.scale[1] = 3;
  shifted.offset[0] = 0.25f;
  shifted.offset[1] = 0.5f;
  shifted.bind();
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_TEXTURE);
  float m[16];
  glGetFloatv(GL_TEXTURE_MATRIX, m);
  EXPECT_EQ(m[0], 2.0f);
  EXPECT_EQ(m[5], 3.0f);
  EXPECT_EQ(m[12], 0.25f);
  EXPECT_EQ(m[13], 0.5f);
  glLoadIdentity();
  shifted.unbind();
}

}  // namespace
