#include "engine/components/draw_shader.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/shader.h"
#include "engine/file_buffer.h"
#include "engine/music.h"
#include "engine/package.h"

#include <string>

namespace NGcomp {

namespace {

// Seconds of music heard so far; 0 before the music exists.
float musicSeconds() {
  if (music == nullptr || music->stream == nullptr) return 0.0f;
  return static_cast<float>(music->stream->positionPcm()) / music->stream->frequency();
}

}  // namespace

drawShader::drawShader(const char* vertex, const char* name, const char* fragment)
    : NGcommon::item(name) {
  kind = 0;
  hasVertexFile = vertex != nullptr;
  hasFragmentFile = fragment != nullptr;
  if (hasVertexFile) vertexFile = vertex;
  if (hasFragmentFile) fragmentFile = fragment;
  if (hasVertexFile && hasFragmentFile) shader = gfx::createProgram();
}

drawShader::~drawShader() { gfx::destroyProgram(shader); }

void drawShader::load() {
  resolutionX = gfx::viewportWidth;
  resolutionY = gfx::viewportHeight;
  if (shader == nullptr) return;
  fileBuffer vertexText;
  fileBuffer fragmentText;
  readTextFile(("fx/" + vertexFile).c_str(), vertexText);
  readTextFile(("fx/" + fragmentFile).c_str(), fragmentText);
  if (gfx::glslEnabled) {
    gfx::buildProgram(shader, reinterpret_cast<const char*>(vertexText.data),
                      reinterpret_cast<const char*>(fragmentText.data));
  }
}

void drawShader::begin() {
  if (shader == nullptr) return;
  gfx::useProgram(shader);
  gfx::setUniform(shader, "resolution", static_cast<float>(resolutionX),
                  static_cast<float>(resolutionY));
  gfx::setUniform(shader, "time", musicSeconds());
  gfx::setUniform(shader, "tex0", int32_t{0});
}

void drawShader::end() {
  if (shader == nullptr || !gfx::glslEnabled) return;
  for (int32_t index = 0; index < gfx::maxVertexAttribs; ++index) {
    ext::glDisableVertexAttribArray(static_cast<GLuint>(index));
  }
  ext::glUseProgram(0);
}

}  // namespace NGcomp
