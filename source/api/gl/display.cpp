#include "api/gl/display.h"

#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/gl/state.h"

#include <cmath>

namespace gfx {

platform::nativeWindow* renderWindow = nullptr;
int32_t screenWidth = 0;
int32_t screenHeight = 0;
int32_t colorBits = 32;
bool fullscreen = false;
int32_t samples = 1;
bool multisampleSupported = false;
float monitorAspect = aspect16by9;
float projectionAspect = aspect16by9;
float fieldOfView = 60.0f;
int32_t viewportX = 0;
int32_t viewportY = 0;
int32_t viewportWidth = 0;
int32_t viewportHeight = 0;
bool letterbox = false;
uint32_t defaultTexture = 0;
int32_t polygonCount = 0;
int32_t vertexCount = 0;
int32_t frameCount = 0;

void handOverWindow(const windowHandOver& values) {
  renderWindow = values.window;
  screenWidth = values.clientWidth;
  screenHeight = values.clientHeight;
  colorBits = values.colorBits;
  fullscreen = values.fullscreen;
  samples = values.samples;
  multisampleSupported = values.multisampleSupported;
}

int setupGlLayer(const windowHandOver& values) {
  handOverWindow(values);
  queryInfo();
  if (!loadExtensions()) return 1;
  createDefaultTexture();
  return 0;
}

void setDisplayGeometry(int32_t width, int32_t height, float aspect) {
  monitorAspect = aspect;
  projectionAspect = aspect16by9;
  fieldOfView = 60.0f;
  if (width == 0) width = 1;
  screenWidth = width;
  screenHeight = height;

  const float w = static_cast<float>(width);
  const float inverseAspect = 1.0f / aspect;
  // a: the height the monitor's shape gives this width; b: the height a
  // 16:9 picture of this width needs (the constant is 9/16 as the original
  // arithmetic had it, rounded through float).
  const int32_t a = static_cast<int32_t>(std::floor(w * inverseAspect));
  const int32_t b = static_cast<int32_t>(std::floor(static_cast<float>(w * 0.5624999958090484)));
  const int32_t pictureHeight = height + b - a;
  const int32_t bar = static_cast<int32_t>(std::floor((height - pictureHeight) * 0.5));

  viewportX = 0;
  viewportWidth = width;
  if (bar > 0) {
    letterbox = true;
    viewportY = bar;
    viewportHeight = pictureHeight;
  } else {
    letterbox = false;
    viewportY = 0;
    viewportHeight = height;
  }
}

void fitDisplayGeometry(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight,
                        float aspect) {
  if (outputWidth <= 0 || outputHeight <= 0 || (outputWidth == width && outputHeight == height)) {
    setDisplayGeometry(width, height, aspect);
    return;
  }
  setDisplayGeometry(outputWidth, outputHeight, aspect);
  // Both bars' edges are rounded the same way, so they stay equal.
  const double rows = static_cast<double>(height) / outputHeight;
  const int32_t bar = static_cast<int32_t>(std::lround(viewportY * rows));
  const bool boxed = letterbox && bar > 0;
  setDisplayGeometry(width, height, aspect);
  letterbox = boxed;
  viewportX = 0;
  viewportWidth = width;
  viewportY = boxed ? bar : 0;
  viewportHeight = boxed ? height - 2 * bar : height;
}

void setupViewport(int32_t width, int32_t height, float aspect) {
  setupViewport(width, height, width, height, aspect);
}

void setupViewport(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight,
                   float aspect) {
  fitDisplayGeometry(width, height, outputWidth, outputHeight, aspect);
  glViewport(viewportX, viewportY, viewportWidth, viewportHeight);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  perspective(showNearPlane, showFarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void perspective(float nearPlane, float farPlane) {
  gluPerspective(fieldOfView, projectionAspect, nearPlane, farPlane);
}

void orthoUnit() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, 1, 1, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
}

void orthoRect(float left, float right, float top, float bottom) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(left, right, bottom, top, -1, 1);
  glMatrixMode(GL_TEXTURE);
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace gfx
