#include "engine/components/point_sprite.h"
#include "engine/components/skybox.h"
#include "engine/components/sprite.h"

#include "api/gl/display.h"
#include "api/gl/screen_quad.h"
#include "api/gl/state.h"
#include "api/model/point_sprite.h"
#include "api/render/texture.h"
#include "api/texture/dyn_texture.h"
#include "api/texture/package_loader.h"
#include "api/texture/registry.h"
#include "engine/errors.h"
#include "engine/item.h"
#include "support/gallery.h"
#include "support/image_files.h"

#include <memory>
#include <string>
#include <vector>

namespace {

using testing_support::constantTrack;
using testing_support::pngFile;
using testing_support::solidPixels;
using testing_support::thrownCode;
using testing_support::trackFile;

// Drops every cached GL name of `name`, so that the next load reads it.
void forgetCached(const std::string& name) {
  const std::string prefix = name + "@@";
  for (auto entry = FWtexture::textureCache.begin(); entry != FWtexture::textureCache.end();) {
    entry = entry->first.compare(0, prefix.size(), prefix) == 0
                ? FWtexture::textureCache.erase(entry)
                : std::next(entry);
  }
}

int loaderCalls = 0;
void countingLoader(const char* name, int32_t& flag, std::unique_ptr<FWtexture::bitmap>& result) {
  ++loaderCalls;
  FWtexture::packageTextureLoader(name, flag, result);
}

std::string solidPng(int r, int g, int b) {
  return pngFile(4, 4, 3, solidPixels(4, 4, {static_cast<uint8_t>(r), static_cast<uint8_t>(g),
                                             static_cast<uint8_t>(b)}));
}

// Components on the gallery's headless picture, without saving frames.
class SpriteComponents : public testing_support::galleryTest {
 protected:
  void TearDown() override {
    FWtexture::textureLoader = FWtexture::packageTextureLoader;
    NGcommon::deleteAllItems();
    rocketTest::TearDown();
  }
  void lookAtOrigin() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gfx::perspective(3.0f, 800.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 20, 0, 0, 0, 0, 1, 0);
  }
};

TEST_F(SpriteComponents, ASpriteWithoutTexturesDrawsAnOpaqueWhiteQuad) {
  usePack({{"readme.txt", "no textures"}});
  auto* plain = new NGcomp::sprite("plain");
  EXPECT_EQ(plain->kind, 2);
  EXPECT_EQ(plain->texture, nullptr);
  plain->bindable = false;
  plain->quad->pixelMode = 1;
  plain->quad->scaleX = 250;
  plain->quad->scaleY = 100;
  gfx::layoutScreenQuad(*plain->quad);
  plain->load();
  EXPECT_EQ(plain->bindGroup, nullptr);
  plain->quad->color[1] = 0;  // a scene's colour does not survive draw
  plain->draw();
  EXPECT_EQ(countPixels(0, 0, 250, 100, 255, 255, 255, 0), 250 * 100);
  EXPECT_EQ(countLit(250, 0, 774, 768), 0);
  EXPECT_EQ(countLit(0, 100, 250, 668), 0);
}

TEST_F(SpriteComponents, ASpriteLoadsItsOwnTextureUnlessTheSceneFilledUnitZero) {
  usePack({{"textures/sc-red.png", solidPng(255, 0, 0)},
           {"textures/sc-green.png", solidPng(0, 255, 0)},
           {"textures/sc-blue.png", solidPng(0, 0, 255)},
           {"script/sync_own.bind.track", constantTrack(1)},
           {"script/sync_scene.bind.track", constantTrack(1)}});
  auto* own = new NGcomp::sprite("sc-red.png", "own");
  ASSERT_NE(own->texture, nullptr);
  EXPECT_EQ(own->texture->name, "sc-red.png");
  EXPECT_EQ(own->textureName, "sc-red.png");
  own->load();
  EXPECT_NE(own->texture->glId, 0u);
  EXPECT_EQ(own->quad->textures[0], own->texture.get());
  own->draw();
  EXPECT_EQ(countPixels(0, 0, 576, 768, 255, 0, 0), 576 * 768);  // one unit of 16:9

  // Not in the package: loading it would throw.
  auto* scene = new NGcomp::sprite("missing.png", "scene");
  FWrender::texture green;
  FWrender::texture blue;
  green.name = "sc-green.png";
  blue.name = "sc-blue.png";
  scene->quad->textures[0] = &green;
  scene->quad->textures[1] = &blue;
  EXPECT_EQ(thrownCode([&] { scene->load(); }), 0);
  EXPECT_NE(green.glId, 0u);
  EXPECT_NE(blue.glId, 0u);
  EXPECT_EQ(scene->texture->glId, 0u);
  EXPECT_EQ(scene->quad->textures[0], &green);
  ASSERT_NE(scene->bindGroup, nullptr);
}

TEST_F(SpriteComponents, AMissingTextureStopsLoadingWithThePackageError) {
  usePack({{"script/sync_label.bind.track", constantTrack(1)}});
  auto* missing = new NGcomp::sprite("nowhere.png", "label");
  EXPECT_EQ(thrownCode([&] { missing->load(); }), errorCode::packageEntryMissing);
  auto* label = new NGcomp::pointsprite("label", "nowhere.png");
  EXPECT_EQ(thrownCode([&] { label->load(); }), errorCode::packageEntryMissing);
}

TEST_F(SpriteComponents, APointSpriteMakesItsTextureOrMipmapsTheScenesTextures) {
  usePack({{"textures/sc-glow.png", solidPng(255, 200, 0)},
           {"textures/sc-green.png", solidPng(0, 255, 0)},
           {"textures/sc-blue.png", solidPng(0, 0, 255)}});
  auto* named = new NGcomp::pointsprite("glow", "sc-glow.png");
  EXPECT_EQ(named->kind, 2);
  named->bindable = false;
  named->load();
  FWrender::texture* made = named->sprite->getTexture(0);
  ASSERT_NE(made, nullptr);
  EXPECT_NE(dynamic_cast<FWtexture::dynTexture*>(made), nullptr);
  EXPECT_EQ(made->name, "sc-glow.png");
  EXPECT_NE(made->glId, 0u);
  EXPECT_FALSE(made->params.generateMipmap);

  auto* scene = new NGcomp::pointsprite("scene", "nowhere.png");
  scene->bindable = false;
  FWrender::texture green;
  FWrender::texture blue;
  green.name = "sc-green.png";
  blue.name = "sc-blue.png";
  green.params.minFilter = 1;
  scene->sprite->setTexture(0, &green);
  scene->sprite->setTexture(1, &blue);
  scene->load();
  for (FWrender::texture* texture : {&green, &blue}) {
    EXPECT_NE(texture->glId, 0u);
    EXPECT_TRUE(texture->params.generateMipmap);
    EXPECT_EQ(texture->params.minFilter, 0);
  }
  EXPECT_EQ(scene->sprite->getTexture(0), &green);

  lookAtOrigin();
  named->sprite->halfWidth = named->sprite->halfHeight = 2;
  named->draw();
  EXPECT_EQ(countPixels(512 - 40, 384 - 40, 80, 80, 255, 200, 0), 80 * 80);
}

TEST_F(SpriteComponents, TheSkyboxLoadsOneSharedTextureForItsSixFaces) {
  usePack({{"textures/starfield.jpg",
            testing_support::jpegFile(8, 8, 3, solidPixels(8, 8, {40, 40, 200}))},
           {"script/sync_tentacleSkybox_ejel12_45van.bind.track", constantTrack(1)}});
  forgetCached("starfield.jpg");
  loaderCalls = 0;
  FWtexture::textureLoader = countingLoader;
  auto* sky = new NGcomp::skybox();
  EXPECT_STREQ(sky->name, "tentacleSkybox_ejel12_45van");
  EXPECT_EQ(sky->kind, 8);
  for (const std::string& face : sky->faceNames) EXPECT_EQ(face, "starfield.jpg");
  sky->load();
  EXPECT_EQ(loaderCalls, 1);
  ASSERT_NE(sky->faceTextures[0], nullptr);
  const uint32_t shared = sky->faceTextures[0]->glId;
  EXPECT_NE(shared, 0u);
  for (int face = 0; face < 6; ++face) {
    EXPECT_EQ(sky->faceTextures[face]->glId, shared);
    EXPECT_EQ(sky->cube.faces[face], sky->faceTextures[face].get());
  }
  ASSERT_NE(sky->bindGroup, nullptr);
  lookAtOrigin();
  sky->draw();
  EXPECT_EQ(countPixels(0, 0, 1024, 768, 40, 40, 200, 12), 1024 * 768);
}

TEST_F(SpriteComponents, InactiveSpritesPointSpritesAndSkyboxesDrawNothing) {
  // Every bind track is off until row 64 and on from there.
  const std::string offThenOn = trackFile({{0, 0.0f, 0}, {64, 1.0f, 0}});
  usePack({{"textures/starfield.jpg", solidPng(255, 255, 255)},
           {"textures/sc-dot.png", solidPng(255, 255, 255)},
           {"script/sync_overlay.bind.track", offThenOn},
           {"script/sync_marker.bind.track", offThenOn},
           {"script/sync_tentacleSkybox_ejel12_45van.bind.track", offThenOn}});
  forgetCached("starfield.jpg");
  auto* overlay = new NGcomp::sprite("overlay");
  auto* marker = new NGcomp::pointsprite("marker", "sc-dot.png");
  auto* sky = new NGcomp::skybox();
  for (int32_t i = 0; i < NGcommon::itemCount(); ++i) NGcommon::itemAt(i)->load();
  lookAtOrigin();

  setRow(10);
  const std::vector<NGcommon::item*> components = {sky, marker, overlay};
  for (NGcommon::item* component : components) {
    EXPECT_FALSE(component->isActive());
    component->draw();
    EXPECT_EQ(countLit(0, 0, 1024, 768), 0) << component->name;
  }

  // The same components switched on draw.
  setRow(70);
  overlay->quad->pixelMode = 1;
  overlay->quad->scaleX = overlay->quad->scaleY = 64;
  gfx::layoutScreenQuad(*overlay->quad);
  overlay->draw();
  EXPECT_EQ(countLit(0, 0, 64, 64), 64 * 64);
  marker->draw();
  EXPECT_GT(countLit(512 - 20, 384 - 20, 40, 40), 0);
  gfx::clearScreen(0, 0, 0);
  sky->draw();
  EXPECT_EQ(countLit(0, 0, 1024, 768), 1024 * 768);
}

}  // namespace
