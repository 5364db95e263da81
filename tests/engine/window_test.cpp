// Graphics initialisation from the window on, on SDL's offscreen driver,
// with the driver's answers changed through the entry-point lookup. Each
// start-up runs in a child process: it makes its own window and context
// (and may end the process), which must not disturb the tests' context.
#include "engine/window.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "engine/errors.h"
#include "engine/settings.h"
#include "platform/window.h"

namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

platform::wglChoosePixelFormatARBProc platformChoose = nullptr;
std::string askedAttributes;

int recordingChoose(void* deviceContext, const int* intAttributes, const float* floatAttributes,
                    unsigned maxFormats, int* formats, unsigned* formatCount) {
  askedAttributes.clear();
  for (const int* a = intAttributes; a[0] != 0 || a[1] != 0; a += 2) {
    askedAttributes += std::to_string(a[0]) + "=" + std::to_string(a[1]) + " ";
  }
  return platformChoose(deviceContext, intAttributes, floatAttributes, maxFormats, formats,
                        formatCount);
}

int refusingChoose(void*, const int*, const float*, unsigned, int*, unsigned* formatCount) {
  *formatCount = 0;
  return 1;
}

int intervalAsked = -1;
int recordingSwapInterval(int interval) {
  intervalAsked = interval;
  return 1;
}

// The platform's lookup with one name answered otherwise (null: missing).
const char* replacedName = "";
void* replacement = nullptr;
void* lookupWithReplacement(const char* name) {
  if (std::strcmp(name, replacedName) == 0) return replacement;
  return platform::getProcAddress(name);
}

void replaceEntryPoint(const char* name, void* with) {
  replacedName = name;
  replacement = with;
  gfx::lookupEntryPoint = &lookupWithReplacement;
}

// A small window, as the offline renderer opens one.
bool openSmallWindow() { return openGraphics(320, 180, false, 16.0f / 9.0f); }

GLint framebufferSamples() {
  GLint samples = -1;
  glGetIntegerv(GL_SAMPLES, &samples);
  return samples;
}

class StartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    multisampleIndex = 0;
    syncOn = false;
  }
};

TEST_F(StartUp, MultisamplingAsksTheDriverForTheFormatAndGetsIt) {
  EXPECT_EXIT(
      {
        multisampleIndex = 2;
        platformChoose = reinterpret_cast<platform::wglChoosePixelFormatARBProc>(
            platform::getProcAddress("wglChoosePixelFormatARB"));
        if (platformChoose == nullptr) std::exit(3);  // the driver has no multisampling
        replaceEntryPoint("wglChoosePixelFormatARB", reinterpret_cast<void*>(&recordingChoose));
        openSmallWindow();
        std::fprintf(stderr, "asked %s| window %d, supported %d, framebuffer %d\n",
                     askedAttributes.c_str(), mainWindow->samples, gfx::multisampleSupported,
                     framebufferSamples());
        std::exit(0);
      },
      ::testing::ExitedWithCode(0),
      "asked 8193=1 8208=1 8195=8231 8212=24 8219=8 8226=16 8227=0 8209=1 "
      "8257=1 8258=4 \\| "
      "window 4, supported 1, framebuffer 4\n");
}

TEST_F(StartUp, ARefusedMultisampleFormatFallsBackToTheStandardOne) {
  EXPECT_EXIT(
      {
        multisampleIndex = 3;
        replaceEntryPoint("wglChoosePixelFormatARB", reinterpret_cast<void*>(&refusingChoose));
        openSmallWindow();
        std::fprintf(stderr, "supported %d, framebuffer %d, context %d\n",
                     gfx::multisampleSupported, framebufferSamples(),
                     glGetString(GL_VERSION) != nullptr);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "supported 0, framebuffer 0, context 1\n");
}

TEST_F(StartUp, TheSwapIntervalFollowsTheSyncSettingWithoutAWarning) {
  EXPECT_EXIT(
      {
        syncOn = true;
        replaceEntryPoint("wglSwapIntervalEXT", reinterpret_cast<void*>(&recordingSwapInterval));
        CaptureStderr();
        openSmallWindow();
        const std::string shown = GetCapturedStderr();
        std::fprintf(stderr, "interval %d, warned %d\n", intervalAsked,
                     shown.find("syncronization") != std::string::npos);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "interval 1, warned 0\n");
}

TEST_F(StartUp, WithoutSwapControlItWarnsAndGoesOn) {
  EXPECT_EXIT(
      {
        replaceEntryPoint("wglSwapIntervalEXT", nullptr);
        const bool started = openSmallWindow();
        std::fprintf(stderr, "started %d\n", started && mainWindow->hglrc != nullptr);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0),
      "You're not supported by computers: Failed to change vertical "
      "syncronization mode.\n"
      "Runing with your video card defaults.\n"
      "Perhabs you don't support EXT_swap_control extension.\n"
      "(.*\n)*started 1\n");
}

TEST_F(StartUp, AMissingRequiredExtensionHaltsWith0x1A0001) {
  EXPECT_EXIT(
      {
        // The driver's lists, read in advance: no vertex buffer objects.
        gfx::glExtensions = "GL_ARB_multitexture GL_EXT_draw_range_elements";
        gfx::wglExtensions = gfx::glExtensions;
        gfx::infoQueried = true;
        openSmallWindow();
        std::exit(4);  // not reached
      },
      ::testing::ExitedWithCode(exitStatusFor(errorCode::graphicsInitBase + 1)),
      "Extension not supported: GL_ARB_vertex_buffer_object not supported\n"
      "Engine halted: Engine halt requested due to fatal error.\n"
      "Framework v0.3.0.4 released with error code 0x1a0001.");
}

TEST_F(StartUp, DestroyingAHalfMadeWindowClearsOnlyWhatExists) {
  EXPECT_EXIT(
      {
        shellWindow nothing;
        nothing.fullscreen = true;
        destroyWindow(nothing);
        if (!platform::initVideo()) std::exit(3);
        shellWindow withoutContext;
        createWindow(withoutContext, 64, 36, false);
        const bool made = withoutContext.hwnd != nullptr;
        destroyWindow(withoutContext);
        std::fprintf(stderr, "nothing %d %d, made %d, then %d %d\n", nothing.hwnd == nullptr,
                     nothing.hglrc == nullptr, made, withoutContext.hwnd == nullptr,
                     withoutContext.hglrc == nullptr);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "nothing 1 1, made 1, then 1 1\n");
}

}  // namespace
