#include "api/gl/extensions.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

// Every entry point "exists"; the extension strings decide what is fetched.
int fakeFunction() { return 0; }
void* fakeLookup(const char*) { return reinterpret_cast<void*>(&fakeFunction); }

class ExtensionLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLookup_ = gfx::lookupEntryPoint;
    savedGl_ = gfx::glExtensions;
    savedWgl_ = gfx::wglExtensions;
    gfx::lookupEntryPoint = &fakeLookup;
    ext::clearAll();
  }
  void TearDown() override {
    gfx::lookupEntryPoint = savedLookup_;
    gfx::glExtensions = savedGl_;
    gfx::wglExtensions = savedWgl_;
    ext::clearAll();
  }
  // Loads with the given strings and returns what was shown on stderr.
  std::string load(const char* glList, const char* wglList, bool* result) {
    gfx::glExtensions = glList;
    gfx::wglExtensions = wglList;
    CaptureStderr();
    *result = gfx::loadExtensions();
    return GetCapturedStderr();
  }

 private:
  gfx::entryPointLookup savedLookup_;
  const char* savedGl_;
  const char* savedWgl_;
};

const char* kFullGl =
    "GL_ARB_vertex_buffer_object GL_ARB_pixel_buffer_object GL_EXT_framebuffer_object "
    "GL_EXT_framebuffer_multisample GL_ARB_draw_buffers GL_ARB_multitexture "
    "GL_EXT_draw_range_elements GL_ARB_shading_language_100";
const char* kFullWgl = "WGL_ARB_extensions_string WGL_EXT_swap_control WGL_ARB_multisample";

TEST_F(ExtensionLoading, HasExtensionIsAPlainSubstringTestOverBothLists) {
  gfx::glExtensions = "GL_ARB_multitexture GL_EXT_framebuffer_object";
  gfx::wglExtensions = "WGL_EXT_swap_control";
  EXPECT_TRUE(gfx::hasExtension("GL_ARB_multitexture"));
  EXPECT_TRUE(gfx::hasExtension("WGL_EXT_swap_control"));  // only in the WGL list
  EXPECT_TRUE(gfx::hasExtension("GL_EXT_framebuffer"));    // a prefix counts
  EXPECT_TRUE(gfx::hasExtension("ARB_multi"));             // so does any substring
  EXPECT_FALSE(gfx::hasExtension("GL_ARB_imaging"));
  gfx::wglExtensions = nullptr;
  EXPECT_FALSE(gfx::hasExtension("GL_ARB_multitexture"));  // either list missing: false
}

TEST_F(ExtensionLoading, AFullDriverLoadsEverythingSilently) {
  bool result = false;
  const std::string shown = load(kFullGl, kFullWgl, &result);
  EXPECT_TRUE(result);
  EXPECT_EQ(shown, "");
  EXPECT_NE(ext::glGenFramebuffersEXT, nullptr);
  EXPECT_NE(ext::glDrawBuffers, nullptr);
  EXPECT_NE(ext::glUseProgram, nullptr);
  EXPECT_NE(ext::glGetUniformIndices, nullptr);
  EXPECT_NE(ext::wglSwapIntervalEXT, nullptr);
  EXPECT_NE(ext::wglChoosePixelFormatARB, nullptr);
}

TEST_F(ExtensionLoading, FramebuffersNeedMultisampleAndDrawBuffersToo) {
  bool result = false;
  const std::string shown = load(
      "GL_ARB_vertex_buffer_object GL_ARB_pixel_buffer_object GL_EXT_framebuffer_object "
      "GL_ARB_draw_buffers GL_ARB_multitexture GL_EXT_draw_range_elements "
      "GL_ARB_shading_language_100",
      kFullWgl, &result);
  EXPECT_TRUE(result);
  EXPECT_NE(ext::glGenRenderbuffersEXT, nullptr);  // step 4 still fetched them
  EXPECT_EQ(ext::glGenFramebuffersEXT, nullptr);
  EXPECT_EQ(ext::glRenderbufferStorageMultisampleEXT, nullptr);
  EXPECT_EQ(shown, "Extension not supported: GL_EXT_framebuffer_object not supported\n");
}

TEST_F(ExtensionLoading, MissingRequiredExtensionsStopTheLoading) {
  bool result = true;
  std::string shown = load("GL_ARB_multitexture GL_EXT_draw_range_elements", kFullWgl, &result);
  EXPECT_FALSE(result);
  EXPECT_EQ(shown, "Extension not supported: GL_ARB_vertex_buffer_object not supported\n");

  shown = load("GL_ARB_vertex_buffer_object GL_ARB_pixel_buffer_object GL_EXT_framebuffer_object "
               "GL_EXT_framebuffer_multisample GL_ARB_draw_buffers GL_EXT_draw_range_elements",
               kFullWgl, &result);
  EXPECT_FALSE(result);
  EXPECT_NE(shown.find("ARB_multitexture not supported"), std::string::npos) << shown;
  EXPECT_EQ(ext::glDrawRangeElements, nullptr);  // nothing after the failed step
}

TEST_F(ExtensionLoading, NoExtensionStringFailsAtTheFirstRequiredStep) {
  bool result = true;
  const std::string shown = load(nullptr, nullptr, &result);
  EXPECT_FALSE(result);
  EXPECT_NE(shown.find("GL_ARB_vertex_buffer_object not supported"), std::string::npos);
}

TEST_F(ExtensionLoading, OptionalFeaturesWarnAndTheShowGoesOn) {
  bool result = false;
  const std::string shown =
      load("GL_ARB_vertex_buffer_object GL_ARB_multitexture GL_EXT_draw_range_elements",
           "WGL_ARB_extensions_string", &result);
  EXPECT_TRUE(result);
  EXPECT_EQ(shown,
            "Extension not supported: GL_ARB_pixel_buffer_object not supported\n"
            "Extension not supported: GL_EXT_framebuffer_object not supported\n"
            "Extension not supported: GL_EXT_framebuffer_object not supported\n"
            "Warning: Your video card doesn't support GLSL.\n"
            "Extension not supported: WGL_ARB_multisample not supported\n");
  EXPECT_EQ(ext::glUseProgram, nullptr);
  // Without swap control the window warns later; loading itself succeeds.
  EXPECT_EQ(ext::wglSwapIntervalEXT, nullptr);
}

}  // namespace
