#pragma once

#include <cstdint>

namespace platform {
class nativeWindow;
}

// The GL layer's view of the window: render size, the letterboxed 16:9
// picture area, the field of view, and the per-frame draw counters.

namespace gfx {

extern platform::nativeWindow* renderWindow;
extern int32_t screenWidth;
extern int32_t screenHeight;
extern int32_t colorBits;
extern bool fullscreen;
extern int32_t samples;              // 1: no multisampling
extern bool multisampleSupported;    // a multisample pixel format is in use
extern float monitorAspect;          // the monitor's shape as the user gave it
extern float projectionAspect;       // always 16:9: the picture is composed for it
extern float fieldOfView;            // vertical, degrees
extern int32_t viewportX;
extern int32_t viewportY;
extern int32_t viewportWidth;
extern int32_t viewportHeight;
extern bool letterbox;               // black bars above and below the picture
extern uint32_t defaultTexture;      // 8x8 white, nearest, clamped

// Primitives and vertices submitted since the last presented frame; every
// draw routine adds to them. frameCount counts presented frames.
extern int32_t polygonCount;
extern int32_t vertexCount;
extern int32_t frameCount;

constexpr float aspect16by9 = 1.7777778f;

// What the window hands to the GL layer once its context is current.
struct windowHandOver {
  platform::nativeWindow* window = nullptr;
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  int32_t colorBits = 32;
  bool fullscreen = false;
  int32_t samples = 1;
  bool multisampleSupported = false;
};

void handOverWindow(const windowHandOver& values);

// The GL layer's set-up: hand-over, strings and limits, extension entry
// points, default texture. 0 on success, 1 when a required extension is
// missing. Needs the final context current.
int setupGlLayer(const windowHandOver& values);

// Computes the picture area for a width x height window on a monitor of the
// given shape (pure arithmetic, no GL calls).
void setDisplayGeometry(int32_t width, int32_t height, float monitorAspect);

// The picture area for a render of width x height that is shown stretched
// over a whole output of outputWidth x outputHeight pixels on a monitor of
// the given shape: the letterbox is worked out on the output's pixels and
// carried over to the render's rows, so the picture keeps its shape once
// scaled. The same as setDisplayGeometry when both sizes agree.
void fitDisplayGeometry(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight,
                        float monitorAspect);

// setDisplayGeometry, then the GL viewport on the picture area and the
// standard projection (near 3, far 800).
void setupViewport(int32_t width, int32_t height, float monitorAspect);

// The same for a render shown stretched over an output (fitDisplayGeometry).
void setupViewport(int32_t width, int32_t height, int32_t outputWidth, int32_t outputHeight,
                   float monitorAspect);

// The show's near and far clipping planes, everywhere a perspective is set
// up and in the occlusion pass that undoes it.
constexpr float showNearPlane = 3.0f;
constexpr float showFarPlane = 800.0f;

// gluPerspective with fieldOfView and projectionAspect on the current matrix.
void perspective(float nearPlane, float farPlane);

// Unit square, origin top-left, y down; leaves GL_TEXTURE current.
void orthoUnit();

// The given rectangle (y grows from top to bottom when top < bottom);
// leaves GL_MODELVIEW current.
void orthoRect(float left, float right, float top, float bottom);

}  // namespace gfx
