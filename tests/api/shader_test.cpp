#include "api/gl/extensions.h"
#include "api/gl/shader.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

const char* kVertex =
    "void main() { gl_Position = ftransform(); gl_TexCoord[0] = gl_MultiTexCoord0; }";
const char* kFragment =
    "uniform vec2 resolution; uniform float time;\n"
    "void main() { gl_FragColor = vec4(resolution / 1024.0, time, 1.0); }";

PFNGLCREATESHADERPROC realCreateShader = nullptr;
int createShaderCalls = 0;
GLuint APIENTRY countingCreateShader(GLenum type) {
  ++createShaderCalls;
  return realCreateShader(type);
}

class Shaders : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    gfx::checkGlsl();
    ASSERT_TRUE(gfx::glslEnabled);
    realCreateShader = ext::glCreateShader;
    ext::glCreateShader = &countingCreateShader;
    createShaderCalls = 0;
  }
  void TearDown() override {
    ext::glCreateShader = realCreateShader;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  }
  // Builds a program and returns what it showed.
  std::string build(gfx::shaderProgram* program, const char* vertex, const char* fragment) {
    CaptureStderr();
    gfx::buildProgram(program, vertex, fragment);
    return GetCapturedStderr();
  }
};

TEST_F(Shaders, AGoodProgramBuildsSilentlyAndLinks) {
  gfx::shaderProgram* program = gfx::createProgram();
  ASSERT_NE(program->program, 0u);
  EXPECT_EQ(build(program, kVertex, kFragment), "");
  EXPECT_EQ(createShaderCalls, 2);
  GLint linked = 0;
  ext::glGetProgramiv(program->program, GL_LINK_STATUS, &linked);
  EXPECT_EQ(linked, GL_TRUE);
  gfx::destroyProgram(program);
}

TEST_F(Shaders, AFailingVertexShaderMakesOneShaderAndShowsBothBoxes) {
  gfx::shaderProgram* program = gfx::createProgram();
  const std::string shown = build(program, "void main() { this is not glsl }", kFragment);
  EXPECT_EQ(createShaderCalls, 1);
  EXPECT_EQ(program->fragmentShader, 0u);
  EXPECT_EQ(shown.rfind("GLSL Error: Vertex shader:\n", 0), 0u) << shown;
  EXPECT_NE(shown.find("GLSL Error: Error occured during compiling vertex shader. Shaders will "
                       "be skipped during rendering. See stdout.\n"),
            std::string::npos)
      << shown;
  gfx::destroyProgram(program);
}

TEST_F(Shaders, AFailingFragmentShaderLeavesOnlyTheVertexShader) {
  gfx::shaderProgram* program = gfx::createProgram();
  const std::string shown = build(program, kVertex, "void main() { broken( }");
  EXPECT_EQ(createShaderCalls, 2);
  EXPECT_NE(program->vertexShader, 0u);
  EXPECT_NE(shown.find("GLSL Error: Fragment shader:\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("compiling fragment shader"), std::string::npos) << shown;
  GLint linked = 1;
  ext::glGetProgramiv(program->program, GL_LINK_STATUS, &linked);
  EXPECT_EQ(linked, GL_FALSE);
  gfx::destroyProgram(program);
}

TEST_F(Shaders, ALinkFailureIsReportedAsSuch) {
  gfx::shaderProgram* program = gfx::createProgram();
  // Both compile; the fragment shader calls a function nobody defines.
  const std::string shown =
      build(program, kVertex, "vec4 missing(); void main() { gl_FragColor = missing(); }");
  EXPECT_NE(shown.find("GLSL Error: Shader program:\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("linking shader program"), std::string::npos) << shown;
  gfx::destroyProgram(program);
}

TEST_F(Shaders, UniformsTheProgramLacksDoNothing) {
  gfx::shaderProgram* program = gfx::createProgram();
  build(program, kVertex, kFragment);
  gfx::useProgram(program);
  CaptureStderr();
  gfx::setUniform(program, "noSuchUniform", 1.0f);
  gfx::setUniform(program, "resolution", 512.0f, 256.0f);
  EXPECT_EQ(GetCapturedStderr(), "");
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
  float resolution[2] = {};
  ext::glGetUniformfv(program->program, ext::glGetUniformLocation(program->program, "resolution"),
                      resolution);
  EXPECT_EQ(resolution[0], 512.0f);
  EXPECT_EQ(resolution[1], 256.0f);
  gfx::useNoProgram();
  gfx::destroyProgram(program);
}

TEST_F(Shaders, WithoutGlslRecordsStayEmptyAndNothingIsCalled) {
  gfx::glslEnabled = false;
  gfx::shaderProgram* program = gfx::createProgram();
  EXPECT_EQ(program->program, 0u);
  gfx::useProgram(program);
  gfx::setUniform(program, "time", 1.0f);
  gfx::destroyProgram(program);
  EXPECT_EQ(createShaderCalls, 0);
  gfx::glslEnabled = true;
}

TEST_F(Shaders, ALongDriverLogIsCutInTheBox) {
  std::string source = "void main() {\n";
  for (int i = 0; i < 400; ++i) source += "  undefinedName" + std::to_string(i) + " = 1;\n";
  source += "}\n";
  gfx::shaderProgram* program = gfx::createProgram();
  const std::string shown = build(program, source.c_str(), kFragment);
  GLint logLength = 0;
  ext::glGetShaderiv(program->vertexShader, GL_INFO_LOG_LENGTH, &logLength);
  ASSERT_GT(logLength, 4096) << "the driver's log is too short to test the cut";
  const size_t firstBox = shown.find("GLSL Error: Error occured");
  ASSERT_NE(firstBox, std::string::npos);
  // "GLSL Error: " + at most 4095 characters + the newline stderr adds.
  EXPECT_LE(firstBox, std::string("GLSL Error: ").size() + 4095 + 1);
  gfx::destroyProgram(program);
}

// The decision whether shaders are used at all, made again on the test
// context with one piece taken away.
class GlslDecision : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(testing_support::headlessGl());
    savedUseProgram_ = ext::glUseProgram;
    savedCreateShader_ = ext::glCreateShader;
    savedGlList_ = gfx::glExtensions;
  }
  void TearDown() override {
    ext::glUseProgram = savedUseProgram_;
    ext::glCreateShader = savedCreateShader_;
    gfx::glExtensions = savedGlList_;
    gfx::glslChecked = false;
    gfx::checkGlsl();
    EXPECT_TRUE(gfx::glslEnabled);
  }
  // Decides afresh and returns what was shown.
  static std::string decide() {
    gfx::glslChecked = false;
    gfx::glslEnabled = true;
    CaptureStderr();
    gfx::checkGlsl();
    return GetCapturedStderr();
  }
  static constexpr const char* kTurnedOff =
      "GLSL Error: Your video card does not support GL_ARB_shading_language_100 to use shaders. "
      "The shaders will be turned off.\n";

 private:
  PFNGLUSEPROGRAMPROC savedUseProgram_ = nullptr;
  PFNGLCREATESHADERPROC savedCreateShader_ = nullptr;
  const char* savedGlList_ = nullptr;
};

TEST_F(GlslDecision, AListedExtensionWithAMissingEntryPointTurnsShadersOff) {
  ASSERT_TRUE(gfx::hasExtension("GL_ARB_shading_language_100"));
  ext::glUseProgram = nullptr;
  EXPECT_EQ(decide(), kTurnedOff);
  EXPECT_FALSE(gfx::glslEnabled);
  // Nothing reaches the missing entry point.
  gfx::shaderProgram* program = gfx::createProgram();
  EXPECT_EQ(program->program, 0u);
  gfx::useProgram(program);
  gfx::useNoProgram();
  gfx::destroyProgram(program);
}

TEST_F(GlslDecision, WithoutTheExtensionShadersAreOffWithTheWarning) {
  gfx::glExtensions = "GL_ARB_multitexture GL_ARB_vertex_buffer_object";
  ext::glCreateShader = nullptr;
  EXPECT_EQ(decide(), kTurnedOff);
  EXPECT_FALSE(gfx::glslEnabled);
}

}  // namespace
