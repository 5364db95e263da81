// Gallery: a textured tunnel seen from inside, looking down its axis.
#include "api/gl/gl.h"
#include "api/render/camera.h"
#include "api/render/texture.h"
#include "engine/components/camera.h"
#include "engine/components/tunnel.h"
#include "support/gallery.h"
#include "support/image_files.h"

#include <string>
#include <utility>
#include <vector>

namespace {

using Gallery = testing_support::galleryTest;

// 16 x 16 texels: a blue band over white, so every repeat of the texture
// draws a ring of blue squares.
std::string bandsPng() {
  std::vector<uint8_t> pixels;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const bool blue = (x < 8) != (y < 8);
      const std::vector<uint8_t> texel =
          blue ? std::vector<uint8_t>{30, 60, 220} : std::vector<uint8_t>{240, 240, 240};
      pixels.insert(pixels.end(), texel.begin(), texel.end());
    }
  }
  return testing_support::pngFile(16, 16, 3, pixels);
}

TEST_F(Gallery, Tunnel) {
  usePack({{"textures/gallery-tunnel.png", bandsPng()}});
  FWrender::texture walls;
  walls.name = "gallery-tunnel.png";
  walls.params.wrapS = walls.params.wrapT = 2;  // repeat around and along
  walls.params.magFilter = walls.params.minFilter = 1;
  walls.load();

  // From near one end, straight down the axis.
  auto* view = new NGcomp::camera("view");
  view->bindable = false;
  view->eye[0] = -280;
  view->target[0] = 0;
  auto* tube = new NGcomp::tunnel("tube", 50, 300, 25, 1);
  tube->bindable = false;
  tube->buildGeometry();
  tube->load();
  view->draw();
  walls.bind();
  tube->begin();
  tube->draw();
  tube->end();
  walls.unbind();

  // Walls all round, both colours of the texture, and the open far end as a
  // small black disc in the middle.
  const int blue = countPixels(0, 0, 1024, 768, 30, 60, 220, 12);
  const int white = countPixels(0, 0, 1024, 768, 240, 240, 240, 12);
  EXPECT_GT(blue, 100000);
  EXPECT_GT(white, 100000);
  for (const auto& corner : {std::pair{0, 0}, std::pair{984, 0}, std::pair{0, 728},
                             std::pair{984, 728}, std::pair{492, 0}, std::pair{0, 364}}) {
    EXPECT_EQ(countLit(corner.first, corner.second, 40, 40), 1600)
        << corner.first << ", " << corner.second;
  }
  EXPECT_EQ(countLit(507, 379, 10, 10), 0);
  EXPECT_GT(countLit(432, 304, 160, 160), 0);
}

}  // namespace
