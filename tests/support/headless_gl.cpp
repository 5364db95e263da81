#include "support/headless_gl.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"
#include "platform/window.h"

#include <cstdio>
#include <cstdlib>

namespace testing_support {

namespace {

bool makeContext() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (!platform::initVideo()) {
    std::fprintf(stderr, "headless GL: no video driver\n");
    return false;
  }
  platform::createFailure failure = platform::createFailure::none;
  platform::nativeWindow* window =
      platform::createNativeWindow("tests", kContextWidth, kContextHeight, false, &failure);
  if (window == nullptr) {
    std::fprintf(stderr, "headless GL: no window\n");
    return false;
  }
  const int format = platform::choosePixelFormat(platform::pixelFormat{});
  if (!platform::setPixelFormat(window, format)) return false;
  void* context = platform::createContext(window);
  if (context == nullptr || !platform::makeCurrent(window, context)) {
    std::fprintf(stderr, "headless GL: no context\n");
    return false;
  }
  gfx::windowHandOver handOver;
  handOver.window = window;
  handOver.clientWidth = kContextWidth;
  handOver.clientHeight = kContextHeight;
  if (gfx::setupGlLayer(handOver) != 0) {
    std::fprintf(stderr, "headless GL: extensions missing\n");
    return false;
  }
  gfx::setupViewport(kContextWidth, kContextHeight, gfx::aspect16by9);
  gfx::initialState();
  glReadBuffer(GL_BACK);
  return true;
}

}  // namespace

bool headlessGl() {
  static const bool ready = makeContext();
  return ready;
}

rgba pixelAt(int x, int y) {
  rgba pixel{};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, kContextHeight - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &pixel);
  return pixel;
}

void resetGlBetweenTests() {
  gfx::resetState();
  for (int unit = 0; unit < gfx::maxTextureUnits; ++unit) {
    ext::glActiveTextureARB(GL_TEXTURE0 + unit);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
  }
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace testing_support
