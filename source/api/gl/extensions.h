#pragma once

#include "api/gl/entry_points.inc"
#include "api/gl/gl.h"
#include "platform/wgl.h"

#include <cstdint>

// Extension strings, implementation limits and the extension entry points,
// read once right after the final context becomes current.

namespace gfx {

extern const char* glExtensions;   // null when the driver has none
extern const char* wglExtensions;  // the platform's WGL list, else glExtensions
extern int32_t maxLights;
extern int32_t maxTextureUnits;
extern int32_t max3DTextureSize;
extern int32_t maxTextureSize;
extern int32_t maxVertexAttribs;
extern int32_t arrayBufferBinding;
extern int32_t maxDrawBuffers;
extern bool infoQueried;

// Looks entry points up by name; platform::getProcAddress unless a test
// replaces it.
using entryPointLookup = void* (*)(const char* name);
extern entryPointLookup lookupEntryPoint;

// Reads the strings and limits once; later calls do nothing. Stops early,
// leaving infoQueried false, when the driver has no extension string.
void queryInfo();

// Plain substring test of `name` against both extension strings (so a
// prefix of a longer listed name counts); false if either string is null.
bool hasExtension(const char* name);

// Fetches every entry point in loading order, showing a box for each missing
// extension. False as soon as a required one is missing.
bool loadExtensions();

// On a temporary context: whether the platform offers multisample pixel
// formats ("WGL_ARB_multisample" listed and wglChoosePixelFormatARB found).
bool probeMultisample();

}  // namespace gfx

// Extension entry points, named after the entry point; null until fetched
// or when the driver lacks them. Callers check their Part's flags first.
namespace ext {

#define DECLARE_ENTRY_POINT(type, name) extern type name;
ENTRY_POINTS_BLEND(DECLARE_ENTRY_POINT)
ENTRY_POINTS_VERTEX_BUFFER(DECLARE_ENTRY_POINT)
ENTRY_POINTS_PIXEL_BUFFER(DECLARE_ENTRY_POINT)
ENTRY_POINTS_RENDERBUFFER(DECLARE_ENTRY_POINT)
ENTRY_POINTS_FRAMEBUFFER(DECLARE_ENTRY_POINT)
ENTRY_POINTS_FRAMEBUFFER_MULTISAMPLE(DECLARE_ENTRY_POINT)
ENTRY_POINTS_FRAMEBUFFER_BLIT(DECLARE_ENTRY_POINT)
ENTRY_POINTS_MULTITEXTURE(DECLARE_ENTRY_POINT)
ENTRY_POINTS_DRAW_RANGE(DECLARE_ENTRY_POINT)
ENTRY_POINTS_GLSL(DECLARE_ENTRY_POINT)
#undef DECLARE_ENTRY_POINT

extern platform::wglGetExtensionsStringARBProc wglGetExtensionsStringARB;
extern platform::wglChoosePixelFormatARBProc wglChoosePixelFormatARB;
extern platform::wglSwapIntervalEXTProc wglSwapIntervalEXT;
extern platform::wglGetSwapIntervalEXTProc wglGetSwapIntervalEXT;

// Sets every entry point above back to null (tests, before a reload).
void clearAll();

}  // namespace ext
