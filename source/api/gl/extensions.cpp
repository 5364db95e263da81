#include "api/gl/extensions.h"

#include "engine/errors.h"
#include "platform/message_box.h"
#include "platform/window.h"

#include <cstring>

namespace gfx {

const char* glExtensions = nullptr;
const char* wglExtensions = nullptr;
int32_t maxLights = 0;
int32_t maxTextureUnits = 0;
int32_t max3DTextureSize = 0;
int32_t maxTextureSize = 0;
int32_t maxVertexAttribs = 0;
int32_t arrayBufferBinding = 0;
int32_t maxDrawBuffers = 0;
bool infoQueried = false;
entryPointLookup lookupEntryPoint = &platform::getProcAddress;

}  // namespace gfx

namespace ext {

#define DEFINE_ENTRY_POINT(type, name) type name = nullptr;
ENTRY_POINTS_BLEND(DEFINE_ENTRY_POINT)
ENTRY_POINTS_VERTEX_BUFFER(DEFINE_ENTRY_POINT)
ENTRY_POINTS_PIXEL_BUFFER(DEFINE_ENTRY_POINT)
ENTRY_POINTS_RENDERBUFFER(DEFINE_ENTRY_POINT)
ENTRY_POINTS_FRAMEBUFFER(DEFINE_ENTRY_POINT)
ENTRY_POINTS_FRAMEBUFFER_MULTISAMPLE(DEFINE_ENTRY_POINT)
ENTRY_POINTS_FRAMEBUFFER_BLIT(DEFINE_ENTRY_POINT)
ENTRY_POINTS_MULTITEXTURE(DEFINE_ENTRY_POINT)
ENTRY_POINTS_DRAW_RANGE(DEFINE_ENTRY_POINT)
ENTRY_POINTS_GLSL(DEFINE_ENTRY_POINT)
#undef DEFINE_ENTRY_POINT

platform::wglGetExtensionsStringARBProc wglGetExtensionsStringARB = nullptr;
platform::wglChoosePixelFormatARBProc wglChoosePixelFormatARB = nullptr;
platform::wglSwapIntervalEXTProc wglSwapIntervalEXT = nullptr;
platform::wglGetSwapIntervalEXTProc wglGetSwapIntervalEXT = nullptr;

void clearAll() {
#define CLEAR_ENTRY_POINT(type, name) name = nullptr;
  ENTRY_POINTS_BLEND(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_VERTEX_BUFFER(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_PIXEL_BUFFER(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_RENDERBUFFER(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_FRAMEBUFFER(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_FRAMEBUFFER_MULTISAMPLE(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_FRAMEBUFFER_BLIT(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_MULTITEXTURE(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_DRAW_RANGE(CLEAR_ENTRY_POINT)
  ENTRY_POINTS_GLSL(CLEAR_ENTRY_POINT)
#undef CLEAR_ENTRY_POINT
  wglGetExtensionsStringARB = nullptr;
  wglChoosePixelFormatARB = nullptr;
  wglSwapIntervalEXT = nullptr;
  wglGetSwapIntervalEXT = nullptr;
}

}  // namespace ext

namespace gfx {

namespace {

#define FETCH_ENTRY_POINT(type, name) \
  ext::name = reinterpret_cast<type>(lookupEntryPoint(#name));

const char* currentWglExtensions() {
  ext::wglGetExtensionsStringARB = reinterpret_cast<platform::wglGetExtensionsStringARBProc>(
      lookupEntryPoint("wglGetExtensionsStringARB"));
  if (ext::wglGetExtensionsStringARB == nullptr) return nullptr;
  return ext::wglGetExtensionsStringARB(nullptr);
}

void missing(const char* text) {
  platform::showMessage("Extension not supported", text, platform::messageIcon::none);
}

// A warning the show can run without; a box abandoned by a quit request ends
// the program before the show starts.
void warnMissing(const char* caption, const char* text) {
  if (!platform::showMessage(caption, text, platform::messageIcon::none)) halt(0);
}

int32_t integerLimit(GLenum name) {
  GLint value = 0;
  glGetIntegerv(name, &value);
  return value;
}

}  // namespace

void queryInfo() {
  if (infoQueried) return;
  glExtensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (glExtensions == nullptr) return;
  const char* platformList = currentWglExtensions();
  wglExtensions = platformList != nullptr ? platformList : glExtensions;
  maxLights = integerLimit(GL_MAX_LIGHTS);
  maxTextureUnits = integerLimit(GL_MAX_TEXTURE_UNITS);
  max3DTextureSize = integerLimit(GL_MAX_3D_TEXTURE_SIZE);
  maxTextureSize = integerLimit(GL_MAX_TEXTURE_SIZE);
  maxVertexAttribs = integerLimit(GL_MAX_VERTEX_ATTRIBS);
  arrayBufferBinding = integerLimit(GL_ARRAY_BUFFER_BINDING);
  maxDrawBuffers = integerLimit(GL_MAX_DRAW_BUFFERS);
  infoQueried = true;
}

bool hasExtension(const char* name) {
  if (glExtensions == nullptr || wglExtensions == nullptr) return false;
  return std::strstr(glExtensions, name) != nullptr ||
         std::strstr(wglExtensions, name) != nullptr;
}

bool loadExtensions() {
  // 1: always there in the drivers we meet; fetched without a test.
  ENTRY_POINTS_BLEND(FETCH_ENTRY_POINT)

  // 2: required.
  if (!hasExtension("GL_ARB_vertex_buffer_object")) {
    missing("GL_ARB_vertex_buffer_object not supported");
    return false;
  }
  ENTRY_POINTS_VERTEX_BUFFER(FETCH_ENTRY_POINT)

  // 3: optional.
  if (hasExtension("GL_ARB_pixel_buffer_object")) {
    ENTRY_POINTS_PIXEL_BUFFER(FETCH_ENTRY_POINT)
  } else {
    warnMissing("Extension not supported", "GL_ARB_pixel_buffer_object not supported");
  }

  // 4: optional; renderbuffers alone.
  if (hasExtension("GL_EXT_framebuffer_object")) {
    ENTRY_POINTS_RENDERBUFFER(FETCH_ENTRY_POINT)
  } else {
    warnMissing("Extension not supported", "GL_EXT_framebuffer_object not supported");
  }

  // 5: optional; framebuffers need all three extensions together.
  if (hasExtension("GL_EXT_framebuffer_object") && hasExtension("GL_EXT_framebuffer_multisample") &&
      hasExtension("ARB_draw_buffers")) {
    ENTRY_POINTS_FRAMEBUFFER(FETCH_ENTRY_POINT)
    ENTRY_POINTS_RENDERBUFFER(FETCH_ENTRY_POINT)
    ENTRY_POINTS_FRAMEBUFFER_MULTISAMPLE(FETCH_ENTRY_POINT)
    if (hasExtension("GL_EXT_framebuffer_blit")) {
      ENTRY_POINTS_FRAMEBUFFER_BLIT(FETCH_ENTRY_POINT)
    }
  } else {
    warnMissing("Extension not supported", "GL_EXT_framebuffer_object not supported");
  }

  // 6, 7: required.
  if (!hasExtension("GL_ARB_multitexture")) {
    missing("ARB_multitexture not supported");
    return false;
  }
  ENTRY_POINTS_MULTITEXTURE(FETCH_ENTRY_POINT)
  if (!hasExtension("GL_EXT_draw_range_elements")) {
    missing("GL_EXT_draw_range_elements not supported");
    return false;
  }
  ENTRY_POINTS_DRAW_RANGE(FETCH_ENTRY_POINT)

  // 8: optional, with its own warning.
  if (hasExtension("GL_ARB_shading_language_100")) {
    ENTRY_POINTS_GLSL(FETCH_ENTRY_POINT)
  } else {
    warnMissing("Warning", "Your video card doesn't support GLSL.");
  }

  // 9: swap control. Without it the window set-up warns and the show runs at
  // the driver's default, so a missing control is not fatal here.
  if (hasExtension("WGL_EXT_swap_control")) {
    ext::wglSwapIntervalEXT =
        reinterpret_cast<platform::wglSwapIntervalEXTProc>(lookupEntryPoint("wglSwapIntervalEXT"));
    ext::wglGetSwapIntervalEXT = reinterpret_cast<platform::wglGetSwapIntervalEXTProc>(
        lookupEntryPoint("wglGetSwapIntervalEXT"));
  }

  // 10: optional.
  if (hasExtension("WGL_ARB_multisample")) {
    ext::wglChoosePixelFormatARB = reinterpret_cast<platform::wglChoosePixelFormatARBProc>(
        lookupEntryPoint("wglChoosePixelFormatARB"));
  } else {
    warnMissing("Extension not supported", "WGL_ARB_multisample not supported");
  }
  return true;
}

bool probeMultisample() {
  const char* list = currentWglExtensions();
  if (list == nullptr) list = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (list == nullptr || std::strstr(list, "WGL_ARB_multisample") == nullptr) return false;
  ext::wglChoosePixelFormatARB = reinterpret_cast<platform::wglChoosePixelFormatARBProc>(
      lookupEntryPoint("wglChoosePixelFormatARB"));
  return ext::wglChoosePixelFormatARB != nullptr;
}

}  // namespace gfx
