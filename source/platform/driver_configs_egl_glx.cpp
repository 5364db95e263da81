#include "platform/driver_configs.h"

#include <GL/glx.h>
#include <SDL2/SDL_egl.h>
#include <dlfcn.h>

namespace platform {

namespace {

// A function of a library that SDL has already loaded for the current
// context; null when that library is not loaded.
template <typename function>
function loadedFunction(const char* library, const char* name) {
  void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
  if (handle == nullptr) return nullptr;
  auto* found = reinterpret_cast<function>(dlsym(handle, name));
  dlclose(handle);  // SDL's own reference keeps it loaded
  return found;
}

// From GLVND's GLX library, else from a libGL of its own.
template <typename function>
function glxFunction(const char* name) {
  const function found = loadedFunction<function>("libGLX.so.0", name);
  return found != nullptr ? found : loadedFunction<function>("libGL.so.1", name);
}

listedAnswer askEgl(int samples) {
  using currentDisplay = EGLDisplay (*)();
  using currentContext = EGLContext (*)();
  using chooseConfig = EGLBoolean (*)(EGLDisplay, const EGLint*, EGLConfig*, EGLint, EGLint*);
  const auto getDisplay = loadedFunction<currentDisplay>("libEGL.so.1", "eglGetCurrentDisplay");
  const auto getContext = loadedFunction<currentContext>("libEGL.so.1", "eglGetCurrentContext");
  const auto choose = loadedFunction<chooseConfig>("libEGL.so.1", "eglChooseConfig");
  if (getDisplay == nullptr || getContext == nullptr || choose == nullptr) {
    return listedAnswer::unknown;
  }
  if (getContext() == EGL_NO_CONTEXT) return listedAnswer::unknown;
  // Any kind of surface: SDL's offscreen driver draws into pbuffers, where
  // the default (window surfaces only) would list nothing.
  const EGLint wanted[] = {EGL_SAMPLE_BUFFERS,  1,
                           EGL_SAMPLES,         samples,
                           EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                           EGL_SURFACE_TYPE,    EGL_DONT_CARE,
                           EGL_NONE};
  EGLint count = 0;
  if (!choose(getDisplay(), wanted, nullptr, 0, &count)) return listedAnswer::unknown;
  return count > 0 ? listedAnswer::some : listedAnswer::none;
}

listedAnswer askGlx(int samples) {
  using currentDisplay = Display* (*)();
  using currentContext = GLXContext (*)();
  using queryContext = int (*)(Display*, GLXContext, int, int*);
  using chooseConfig = GLXFBConfig* (*)(Display*, int, const int*, int*);
  const auto getDisplay = glxFunction<currentDisplay>("glXGetCurrentDisplay");
  const auto getContext = glxFunction<currentContext>("glXGetCurrentContext");
  const auto query = glxFunction<queryContext>("glXQueryContext");
  const auto choose = glxFunction<chooseConfig>("glXChooseFBConfig");
  using freeList = int (*)(void*);
  const auto release = loadedFunction<freeList>("libX11.so.6", "XFree");
  if (getDisplay == nullptr || getContext == nullptr || query == nullptr || choose == nullptr ||
      release == nullptr) {
    return listedAnswer::unknown;
  }
  Display* display = getDisplay();
  GLXContext context = getContext();
  if (display == nullptr || context == nullptr) return listedAnswer::unknown;
  int screen = 0;
  if (query(display, context, GLX_SCREEN, &screen) != Success) return listedAnswer::unknown;
  const int wanted[] = {GLX_SAMPLE_BUFFERS, 1,           GLX_SAMPLES,       samples,
                        GLX_RENDER_TYPE,    GLX_RGBA_BIT, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT,
                        None};
  int count = 0;
  GLXFBConfig* configs = choose(display, screen, wanted, &count);
  if (configs != nullptr) release(configs);
  return count > 0 ? listedAnswer::some : listedAnswer::none;
}

}  // namespace

listedAnswer listedMultisampleConfigs(int samples) {
  const listedAnswer egl = askEgl(samples);
  return egl != listedAnswer::unknown ? egl : askGlx(samples);
}

}  // namespace platform
