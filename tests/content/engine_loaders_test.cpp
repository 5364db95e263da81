// The built pack's pictures and models through the engine's own image
// decoder, texture upload, 3DS parser and model builder.
#include "api/model/build_models.h"
#include "api/model/parse3ds.h"
#include "api/render/model.h"
#include "api/texture/package_loader.h"
#include "api/texture/upload.h"
#include "engine/file_buffer.h"
#include "engine/package.h"
#include "support/headless_gl.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

namespace {

class PackThroughEngineLoaders : public ::testing::Test {
 protected:
  void SetUp() override { testing_support::usePackage(AMBER_PACK_PATH); }
  void TearDown() override { testing_support::dropPackage(); }

  static std::vector<std::unique_ptr<FWrender::model>> models(const char* name) {
    fileBuffer buffer;
    readFile((std::string("models/") + name).c_str(), buffer);
    FWmodel::parse3ds parser(buffer.data, buffer.length);
    std::vector<std::unique_ptr<FWrender::model>> built;
    EXPECT_EQ(FWmodel::buildModels(&parser, built), 1);
    for (auto& model : built) FWrender::computeNormals(*model);
    return built;
  }
};

TEST_F(PackThroughEngineLoaders, PicturesDecodeAndUpload) {
  ASSERT_TRUE(testing_support::headlessGl());
  const struct {
    const char* name;
    int side;
    int channels;
  } pictures[] = {
      {"PARTICLE0.JPG", 128, 3}, {"PARTICLE1.JPG", 128, 3},  {"particle3.jpg", 128, 3},
      {"starfield.jpg", 1024, 3}, {"image_01.jpg", 1024, 3},  {"image_02.jpg", 1024, 3},
      {"image_03.jpg", 1024, 3},  {"image_01a.jpg", 1024, 1}, {"image_02a.jpg", 1024, 1},
      {"image_03a.jpg", 1024, 1}, {"duck2.png", 512, 3},      {"duck2a.png", 512, 1},
      {"badge12.png", 512, 3},    {"badge12a.png", 512, 1},
  };
  for (const auto& picture : pictures) {
    SCOPED_TRACE(picture.name);
    int32_t flag = 0;
    std::unique_ptr<FWtexture::bitmap> image;
    FWtexture::packageTextureLoader(picture.name, flag, image);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(image->width, picture.side);
    EXPECT_EQ(image->height, picture.side);
    EXPECT_EQ(image->channels, picture.channels);
    FWrender::texture texture;
    FWtexture::uploadBitmap(*image, texture);
    EXPECT_NE(texture.glId, 0u);
    EXPECT_EQ(texture.params.width, picture.side);  // square powers of two keep their size
  }
}

TEST_F(PackThroughEngineLoaders, CubeKeepsFlatSidesUnderSmoothing) {
  const auto cube = models("cube10by10.3ds");
  ASSERT_EQ(cube.size(), 1u);
  EXPECT_EQ(cube[0]->vertices.size(), 24u);
  EXPECT_EQ(cube[0]->faces.size(), 12u);
  ASSERT_EQ(cube[0]->groups.size(), 1u);
  ASSERT_NE(cube[0]->groups[0]->material, nullptr);
  for (size_t i = 0; i < cube[0]->vertices.size(); ++i) {
    const auto& n = cube[0]->normals[i];
    const auto& p = cube[0]->vertices[i];
    // One axis, pointing out of the side the vertex belongs to.
    EXPECT_FLOAT_EQ(std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]), 1.0f);
    EXPECT_FLOAT_EQ(n[0] * p[0] + n[1] * p[1] + n[2] * p[2], 5.0f);
  }
  EXPECT_FLOAT_EQ(cube[0]->boundsSize[0], 10.0f);
}

TEST_F(PackThroughEngineLoaders, TitleCapsStayFlatAndWallsFaceOutwards) {
  const auto title = models("title.3ds");
  ASSERT_FALSE(title.empty());
  size_t capVertices = 0;
  for (const auto& model : title) {
    ASSERT_EQ(model->groups.size(), 1u);
    ASSERT_NE(model->groups[0]->material, nullptr);
    EXPECT_EQ(model->texcoords.size(), model->vertices.size());
    for (size_t i = 0; i < model->vertices.size(); ++i) {
      const auto& n = model->normals[i];
      if (std::fabs(n[1]) > 0.5f) {
        // A cap vertex: the front looks to -Y, the back to +Y, exactly.
        ++capVertices;
        EXPECT_FLOAT_EQ(std::fabs(n[1]), 1.0f);
        EXPECT_EQ(n[1] < 0, model->vertices[i][1] < 0);
      } else {
        EXPECT_NEAR(n[1], 0.0f, 1e-5f);  // a wall vertex: level
      }
    }
  }
  EXPECT_GT(capVertices, 500u);
}

}  // namespace
