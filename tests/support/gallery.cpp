#include "support/gallery.h"

#include "api/gl/display.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "engine/item.h"
#include "engine/music.h"
#include "engine/virtual_clock.h"
#include "support/image_files.h"
#include "support/test_package.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace testing_support {

void galleryTest::SetUp() {
  rocketTest::SetUp();
  ASSERT_TRUE(headlessGl());
  gfx::setupViewport(kContextWidth, kContextHeight, gfx::aspect16by9);
  gfx::initialState();
  gfx::clearScreen(0, 0, 0);
}

void galleryTest::TearDown() {
  saveFrame(::testing::UnitTest::GetInstance()->current_test_info()->name());
  NGcommon::deleteAllItems();
  rocketTest::TearDown();
}

void galleryTest::setRow(float row) {
  if (music == nullptr) music = makeSoundtrack(new virtualClock(44100.0f, 600.0f), 128.0);
  auto* clock = static_cast<virtualClock*>(music->stream);
  clock->play();
  const double seconds = (row - 1.0) * music->msPerRow / 1000.0;
  clock->setPosition(static_cast<uint32_t>(seconds * 44100.0 + 0.5));
}

void galleryTest::saveFrame(const std::string& name) {
  const char* folder = std::getenv("AMBER_GALLERY_DIR");
  if (folder == nullptr || folder[0] == '\0') return;
  std::vector<uint8_t> pixels(static_cast<size_t>(kContextWidth) * kContextHeight * 3);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kContextWidth, kContextHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  // GL reads the bottom row first; pictures start at the top.
  std::vector<uint8_t> topFirst(pixels.size());
  const size_t rowBytes = static_cast<size_t>(kContextWidth) * 3;
  for (int row = 0; row < kContextHeight; ++row) {
    std::copy_n(pixels.begin() + static_cast<long>(rowBytes * (kContextHeight - 1 - row)),
                rowBytes, topFirst.begin() + static_cast<long>(rowBytes * row));
  }
  writeWholeFile(std::string(folder) + "/" + name + ".png",
                 pngFile(kContextWidth, kContextHeight, 3, topFirst));
}

int galleryTest::countPixels(int left, int top, int width, int height, int red, int green,
                             int blue, int tolerance) {
  std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(left, kContextHeight - top - height, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
               pixels.data());
  int count = 0;
  for (size_t i = 0; i < pixels.size(); i += 4) {
    if (std::abs(pixels[i] - red) <= tolerance && std::abs(pixels[i + 1] - green) <= tolerance &&
        std::abs(pixels[i + 2] - blue) <= tolerance) {
      ++count;
    }
  }
  return count;
}

int galleryTest::countLit(int left, int top, int width, int height) {
  return width * height - countPixels(left, top, width, height, 0, 0, 0, 0);
}

}  // namespace testing_support
