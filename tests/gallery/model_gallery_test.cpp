// Gallery: a textured 3DS model seen by an orbiting camera.
#include "api/gl/gl.h"
#include "engine/components/camera.h"
#include "engine/components/model.h"
#include "api/render/camera.h"
#include "support/gallery.h"
#include "support/image_files.h"
#include "support/three_ds_writer.h"

#include <string>
#include <vector>

namespace {

using Gallery = testing_support::galleryTest;
using namespace testing_support;

// A cube from -1 to 1 whose six sides each carry the whole texture: four
// vertices of its own per side, two triangles counter-clockwise from outside.
meshSpec texturedCube(const std::string& name) {
  meshSpec cube;
  cube.name = name;
  // Each side: its outward axis, then two in-plane axes (right, up) whose
  // cross product is the outward axis.
  const float sides[6][3][3] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}},
      {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}}};
  const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (const auto& side : sides) {
    const auto base = static_cast<uint16_t>(cube.vertices.size());
    for (const auto& corner : corners) {
      vertex3 at{};
      for (int c = 0; c < 3; ++c) {
        at[c] = side[0][c] + corner[0] * side[1][c] + corner[1] * side[2][c];
      }
      cube.vertices.push_back(at);
      cube.mapping.push_back({(corner[0] + 1) / 2, (corner[1] + 1) / 2});
    }
    cube.faces.push_back({base, static_cast<uint16_t>(base + 1), static_cast<uint16_t>(base + 2)});
    cube.faces.push_back({base, static_cast<uint16_t>(base + 2), static_cast<uint16_t>(base + 3)});
  }
  std::vector<uint16_t> all;
  for (uint16_t f = 0; f < 12; ++f) all.push_back(f);
  cube.groups = {{"Checker", all}};
  return cube;
}

// 16 x 16 texels in 4 x 4 squares of amber and dark brown.
std::string checkerPng() {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool amber = ((x / 4) + (y / 4)) % 2 == 0;
      const std::vector<uint8_t> texel =
          amber ? std::vector<uint8_t>{255, 170, 0} : std::vector<uint8_t>{90, 40, 10};
      pixels.insert(pixels.end(), texel.begin(), texel.end());
    }
  }
  return pngFile(16, 16, 3, pixels);
}

TEST_F(Gallery, TexturedModel) {
  materialSpec checker;
  checker.name = "Checker";
  checker.diffuse = colourSpec{{1, 1, 1}};
  mapSpec map;
  map.file = "gallery-checker.png";
  checker.maps = {map};
  usePack({{"models/gallery-cube.3ds", serialise(file3ds({checker}, {texturedCube("Box")}))},
           {"textures/gallery-checker.png", checkerPng()}});

  auto* view = new NGcomp::camera("view");
  view->bindable = false;
  view->renderCamera->placement = FWrender::cameraPlacement::eyeAroundTarget;
  view->renderCamera->eyeSpherical = 1;
  view->eye[0] = 6;    // radius
  view->eye[1] = -60;  // azimuth
  view->eye[2] = 30;   // elevation
  auto* box = new NGcomp::model3ds("gallery-cube.3ds", "box");
  box->bindable = false;
  view->load();
  box->load();
  ASSERT_EQ(box->meshCount, 1);

  view->draw();
  box->draw();

  // Three sides of the checker cube in the middle of the picture, nothing
  // at the edges.
  const int amber = countPixels(256, 96, 512, 576, 255, 170, 0, 6);
  const int brown = countPixels(256, 96, 512, 576, 90, 40, 10, 6);
  EXPECT_GT(amber, 12000);
  EXPECT_GT(brown, 12000);
  EXPECT_GT(countLit(502, 374, 20, 20), 390);
  EXPECT_EQ(countLit(0, 0, 1024, 60), 0);
  EXPECT_EQ(countLit(0, 708, 1024, 60), 0);
  EXPECT_EQ(countLit(0, 0, 160, 768), 0);
  EXPECT_EQ(countLit(864, 0, 160, 768), 0);
}

}  // namespace
