#include "api/gl/extensions.h"
#include "engine/shell.h"
#include "engine/window.h"
#include "platform/wgl.h"
#include "platform/window.h"
#include "support/headless_gl.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// The WGL stand-ins on the offscreen driver, which has multisample
// configurations and swap control.
class PlatformStandIns : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(testing_support::headlessGl()); }
};

TEST_F(PlatformStandIns, ExtensionStringListsWhatThePlatformCanDo) {
  auto getExtensions = reinterpret_cast<platform::wglGetExtensionsStringARBProc>(
      platform::getProcAddress("wglGetExtensionsStringARB"));
  ASSERT_NE(getExtensions, nullptr);
  const std::string list = getExtensions(nullptr);
  const bool listsMultisample = list.find("WGL_ARB_multisample") != std::string::npos;
  const bool listsSwapControl = list.find("WGL_EXT_swap_control") != std::string::npos;
  // Listed exactly when the matching entry points are offered.
  EXPECT_EQ(listsMultisample, platform::getProcAddress("wglChoosePixelFormatARB") != nullptr);
  EXPECT_EQ(listsSwapControl, platform::getProcAddress("wglSwapIntervalEXT") != nullptr);
  EXPECT_TRUE(listsMultisample) << list;
  EXPECT_TRUE(listsSwapControl) << list;
}

TEST_F(PlatformStandIns, MultisampleFormatsAreOfferedOnlyWhenTheyWork) {
  auto choose = reinterpret_cast<platform::wglChoosePixelFormatARBProc>(
      platform::getProcAddress("wglChoosePixelFormatARB"));
  ASSERT_NE(choose, nullptr);
  auto request = [&](int samples, unsigned* count) {
    const int attributes[] = {platform::WGL_COLOR_BITS_ARB,  24, platform::WGL_DEPTH_BITS_ARB, 16,
                              platform::WGL_SAMPLE_BUFFERS_ARB, 1, platform::WGL_SAMPLES_ARB,
                              samples, 0, 0};
    int format = 0;
    *count = 99;
    EXPECT_TRUE(choose(nullptr, attributes, nullptr, 1, &format, count));
    return format;
  };
  unsigned count = 0;
  const int four = request(4, &count);
  EXPECT_EQ(count, 1u);
  EXPECT_GT(four, 0);
  request(64, &count);  // no driver has 64 samples
  EXPECT_EQ(count, 0u);
}

TEST_F(PlatformStandIns, GlEntryPointsResolveAndUnknownNamesDoNot) {
  EXPECT_NE(platform::getProcAddress("glUseProgram"), nullptr);
  EXPECT_EQ(platform::getProcAddress("wglMakeTheShowBetterARB"), nullptr);
}

TEST_F(PlatformStandIns, TheMultisampleProbeAgreesWithTheExtensionString) {
  EXPECT_TRUE(gfx::probeMultisample());
}

TEST_F(PlatformStandIns, StandardFormatsAlwaysExist) {
  EXPECT_GT(platform::choosePixelFormat(platform::pixelFormat{}), 0);
  platform::pixelFormat impossible;
  impossible.samples = 64;
  EXPECT_EQ(platform::choosePixelFormat(impossible), 0);
}

// What the main loop hears through the window's presenter: Escape and the
// close box end the show, other keys do not.
class WindowQuit : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::initVideo());
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    resetQuitRequest();
  }
  void TearDown() override { resetQuitRequest(); }
  static bool quitAfter(const SDL_Event& event) {
    SDL_Event copy = event;
    EXPECT_EQ(SDL_PushEvent(&copy), 1) << SDL_GetError();
    return windowPresenter()->pumpMessages();
  }
  static SDL_Event keyDown(SDL_Keycode key) {
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = key;
    return event;
  }
};

TEST_F(WindowQuit, EscapeEndsTheShowOtherKeysDoNot) {
  EXPECT_FALSE(quitAfter(keyDown(SDLK_SPACE)));
  EXPECT_TRUE(quitAfter(keyDown(SDLK_ESCAPE)));
  // The request stays noted for the loop's next look.
  EXPECT_TRUE(windowPresenter()->pumpMessages());
}

TEST_F(WindowQuit, TheCloseBoxEndsTheShow) {
  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  EXPECT_TRUE(quitAfter(close));
}

}  // namespace
