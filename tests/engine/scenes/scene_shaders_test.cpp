// The scenes' GLSL programs from content/fx build on Mesa and expose the
// uniforms the scenes set.
#include "api/gl/extensions.h"
#include "api/gl/shader.h"
#include "support/headless_gl.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

struct sceneProgram {
  const char* vertex;
  const char* fragment;
  std::vector<const char*> uniforms;  // must be active in the linked program
};

// Each program as a scene builds it, with the uniforms the scene (or the
// shader component's begin) sets and the shader really uses.
const sceneProgram scenePrograms[] = {
    {"tunnel.vert", "tunnel1.frag", {"forgas", "fade", "time"}},
    {"tunnel.vert", "tunnel2.frag", {"forgas", "fade", "time"}},
    {"tunnel.vert", "tunnel3.frag", {"forgas", "fade", "time"}},
    {"basic.vert", "particle2.frag", {"tex0"}},
    {"basic.vert", "pointlight2.frag", {"tex0"}},
    {"basic.vert", "particle1.frag", {"tex0", "alphaMap", "mode", "csoda", "time"}},
    {"passthrough.vert", "particle1_post.frag", {"tex0", "skybox"}},
    {"passthrough.vert", "skybox.frag", {"tex0"}},
};

std::string shaderSource(const char* name) {
  return testing_support::readWholeFile(std::string(AMBER_CONTENT_FOLDER) + "/fx/" + name);
}

TEST(SceneShaders, EveryProgramCompilesAndLinksSilently) {
  ASSERT_TRUE(testing_support::headlessGl());
  gfx::checkGlsl();
  ASSERT_TRUE(gfx::glslEnabled);
  for (const sceneProgram& expected : scenePrograms) {
    SCOPED_TRACE(std::string(expected.vertex) + " + " + expected.fragment);
    const std::string vertex = shaderSource(expected.vertex);
    const std::string fragment = shaderSource(expected.fragment);
    ASSERT_FALSE(vertex.empty());
    ASSERT_FALSE(fragment.empty());
    gfx::shaderProgram* program = gfx::createProgram();
    CaptureStderr();
    gfx::buildProgram(program, vertex.c_str(), fragment.c_str());
    EXPECT_EQ(GetCapturedStderr(), "");
    GLint linked = 0;
    ext::glGetProgramiv(program->program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    for (const char* uniform : expected.uniforms) {
      EXPECT_GE(ext::glGetUniformLocation(program->program, uniform), 0) << uniform;
    }
    gfx::destroyProgram(program);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
