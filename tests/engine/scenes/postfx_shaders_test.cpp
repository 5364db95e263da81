// The post-processing and greetings shaders as the pack carries them: each
// program compiles and links on this machine's GL without a message, and
// keeps every uniform the engine sets (a uniform the compiler drops would
// silently ignore its track).
#include "api/gl/extensions.h"
#include "api/gl/shader.h"
#include "support/headless_gl.h"
#include "support/test_package.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using ::testing::internal::CaptureStderr;
using ::testing::internal::GetCapturedStderr;

std::string source(const std::string& file) {
  return testing_support::readWholeFile(std::string(AMBER_CONTENT_FOLDER) + "/fx/" + file);
}

std::set<std::string> activeUniforms(GLuint program) {
  std::set<std::string> names;
  GLint count = 0;
  ext::glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
  for (GLint index = 0; index < count; ++index) {
    char name[256];
    GLsizei length = 0;
    GLint size = 0;
    GLenum type = 0;
    ext::glGetActiveUniform(program, static_cast<GLuint>(index), sizeof name, &length, &size,
                            &type, name);
    std::string text(name, static_cast<size_t>(length));
    // Arrays report their first element.
    const size_t bracket = text.find('[');
    names.insert(bracket == std::string::npos ? text : text.substr(0, bracket));
  }
  return names;
}

struct programCase {
  const char* vertex;
  const char* fragment;
  std::vector<const char*> uniforms;
};

TEST(PostProcessingShaders, EveryProgramBuildsAndKeepsItsUniforms) {
  ASSERT_TRUE(testing_support::headlessGl());
  gfx::checkGlsl();
  ASSERT_TRUE(gfx::glslEnabled);
  const std::vector<programCase> cases = {
      {"basic.vert", "pointlight.frag", {"joreggelt", "color"}},
      {"passthrough.vert",
       "ssao.frag",
       {"normalTex", "depthTex", "noiseTex", "radius", "radius2", "kernel", "noiseSize", "near",
        "far", "fov", "aspectRatio", "projectionMatrix", "resolution"}},
      {"passthrough.vert",
       "blur2.frag",
       {"tex0", "blurRadius", "SSAORadius", "illumMapPhong", "illumMapSSAO", "bias", "bloomLevel",
        "exposure"}},
      {"basic.vert", "particle3.frag", {"tex0", "zmap"}},
  };
  for (const programCase& entry : cases) {
    SCOPED_TRACE(entry.fragment);
    gfx::shaderProgram* program = gfx::createProgram();
    const std::string vertex = source(entry.vertex);
    const std::string fragment = source(entry.fragment);
    ASSERT_FALSE(fragment.empty());
    CaptureStderr();
    gfx::buildProgram(program, vertex.c_str(), fragment.c_str());
    EXPECT_EQ(GetCapturedStderr(), "");
    GLint linked = 0;
    ext::glGetProgramiv(program->program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
    const std::set<std::string> kept = activeUniforms(program->program);
    for (const char* uniform : entry.uniforms) EXPECT_EQ(kept.count(uniform), 1u) << uniform;
    gfx::destroyProgram(program);
  }
  EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
