// What full screen on a monitor of another size costs per frame: the pass
// that scales a 1024 x 768 render onto a 1920 x 1080 window (plain and
// resolving 4x multisampling first), and a frame's drawing into that canvas
// against the same drawing straight into a window of the render size, which
// is what the show does when the output is the chosen size.
// Headless (SDL's offscreen driver on Mesa), so on software GL here.
#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/screen_canvas.h"
#include "api/gl/state.h"
#include "platform/window.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int renderWidth = 1024;
constexpr int renderHeight = 768;
constexpr int outputWidth = 1920;
constexpr int outputHeight = 1080;
constexpr int frames = 100;

bool makeContext(int width, int height) {
  platform::createFailure failure = platform::createFailure::none;
  platform::nativeWindow* window =
      platform::createNativeWindow("bench", width, height, false, &failure);
  if (window == nullptr) return false;
  if (!platform::setPixelFormat(window, platform::choosePixelFormat(platform::pixelFormat{}))) {
    return false;
  }
  void* context = platform::createContext(window);
  if (context == nullptr || !platform::makeCurrent(window, context)) return false;
  gfx::windowHandOver handOver;
  handOver.window = window;
  handOver.clientWidth = width;
  handOver.clientHeight = height;
  handOver.samples = 4;
  handOver.multisampleSupported = true;
  return gfx::setupGlLayer(handOver) == 0;
}

// A frame's worth of fill: the letterboxed clear and 20 blended quads over
// the picture area.
void drawFrame() {
  gfx::clearScreen(0.2f, 0.3f, 0.4f);
  gfx::begin2D();
  gfx::orthoUnit();
  glMatrixMode(GL_MODELVIEW);
  for (int i = 0; i < 20; ++i) {
    glColor4f(0.05f * i, 0.5f, 1.0f - 0.05f * i, 0.3f);
    glBegin(GL_QUADS);
    glVertex2f(0.0f, 0.0f);
    glVertex2f(0.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(1.0f, 0.0f);
    glEnd();
  }
  gfx::end2D();
}

// Milliseconds per call of `step` over `count` calls, each finished on the
// GPU, after two calls to warm up.
template <class Step>
double millisecondsPer(Step step, int count = frames) {
  for (int i = 0; i < 2; ++i) step();
  glFinish();
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) {
    step();
    glFinish();
  }
  const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
  return spent.count() / count;
}

}  // namespace

int main() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (!platform::initVideo() || !makeContext(outputWidth, outputHeight)) {
    std::fprintf(stderr, "scaling pass: no headless GL context\n");
    return 1;
  }
  std::printf("GL renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

  gfx::samples = 1;
  gfx::setupViewport(renderWidth, renderHeight, outputWidth, outputHeight, gfx::aspect16by9);
  if (!gfx::openScreenCanvas(outputWidth, outputHeight)) {
    std::fprintf(stderr, "scaling pass: the driver cannot make the canvas\n");
    return 1;
  }
  drawFrame();
  const double pass = millisecondsPer([] { gfx::presentScreenCanvas(); });
  // For scale: one clear of the whole window, the least a pass over its
  // pixels costs.
  const double windowClear = millisecondsPer([] {
    ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gfx::screenFramebuffer);
  });
  // A frame drawn into the canvas against the same frame drawn straight
  // into the window (the render's corner of it, as many pixels), which is
  // what the show does when the output is the chosen size. Alternated
  // frame by frame, so that a busy machine weighs on both alike.
  double intoCanvas = 0.0;
  double intoWindow = 0.0;
  for (int i = 0; i < frames / 10; ++i) {
    intoCanvas += millisecondsPer(drawFrame, 10);
    ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);
    intoWindow += millisecondsPer(drawFrame, 10);
    ext::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, gfx::screenFramebuffer);
  }
  intoCanvas /= frames / 10;
  intoWindow /= frames / 10;
  gfx::closeScreenCanvas();

  gfx::samples = 4;
  gfx::setupViewport(renderWidth, renderHeight, outputWidth, outputHeight, gfx::aspect16by9);
  double resolvedPass = -1.0;
  if (gfx::openScreenCanvas(outputWidth, outputHeight)) {
    drawFrame();
    resolvedPass = millisecondsPer([] { gfx::presentScreenCanvas(); });
    gfx::closeScreenCanvas();
  }
  gfx::samples = 1;

  std::printf("scaling pass %dx%d -> %dx%d: %.3f ms a frame (clearing the window: %.3f ms)\n",
              renderWidth, renderHeight, outputWidth, outputHeight, pass, windowClear);
  if (resolvedPass >= 0.0) {
    std::printf("scaling pass with 4x multisampling resolved first: %.3f ms a frame\n",
                resolvedPass);
  }
  std::printf("drawing a frame at %dx%d: %.3f ms into the canvas, %.3f ms into the window\n",
              renderWidth, renderHeight, intoCanvas, intoWindow);
  return 0;
}
