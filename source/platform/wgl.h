#pragma once

// The WGL extension calls the GL layer fetches by name, as this platform
// offers them. getProcAddress() returns these stand-ins for the WGL names
// "wglGetExtensionsStringARB", "wglChoosePixelFormatARB",
// "wglSwapIntervalEXT" and "wglGetSwapIntervalEXT"; the first lists exactly
// the WGL extensions the platform can honour.

namespace platform {

// Attribute names of wglChoosePixelFormatARB understood by the stand-in.
constexpr int WGL_DRAW_TO_WINDOW_ARB = 0x2001;
constexpr int WGL_ACCELERATION_ARB = 0x2003;
constexpr int WGL_SUPPORT_OPENGL_ARB = 0x2010;
constexpr int WGL_DOUBLE_BUFFER_ARB = 0x2011;
constexpr int WGL_COLOR_BITS_ARB = 0x2014;
constexpr int WGL_ALPHA_BITS_ARB = 0x201B;
constexpr int WGL_DEPTH_BITS_ARB = 0x2022;
constexpr int WGL_STENCIL_BITS_ARB = 0x2023;
constexpr int WGL_FULL_ACCELERATION_ARB = 0x2027;
constexpr int WGL_SAMPLE_BUFFERS_ARB = 0x2041;
constexpr int WGL_SAMPLES_ARB = 0x2042;

using wglGetExtensionsStringARBProc = const char* (*)(void* deviceContext);
using wglChoosePixelFormatARBProc = int (*)(void* deviceContext, const int* intAttributes,
                                            const float* floatAttributes, unsigned maxFormats,
                                            int* formats, unsigned* formatCount);
using wglSwapIntervalEXTProc = int (*)(int interval);
using wglGetSwapIntervalEXTProc = int (*)();

}  // namespace platform
