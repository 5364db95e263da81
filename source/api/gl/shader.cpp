#include "api/gl/shader.h"

#include "api/gl/extensions.h"
#include "engine/errors.h"
#include "platform/message_box.h"

#include <cstdio>
#include <vector>

namespace gfx {

bool glslEnabled = false;
bool glslChecked = false;

namespace {

// The show goes on after a shader error, unless the box was abandoned by a
// quit request.
void glslError(const char* text) {
  if (!platform::showMessage("GLSL Error", text, platform::messageIcon::warning)) halt(0);
}

// Compiles one shader of `type`; true when it compiled.
bool compile(GLenum type, const char* source, const char* label, GLuint* shader) {
  *shader = ext::glCreateShader(type);
  ext::glShaderSource(*shader, 1, &source, nullptr);
  ext::glCompileShader(*shader);
  int32_t status = 0;
  checkStatus(*shader, label, status);
  return status == 1;
}

GLint locationOf(const shaderProgram* record, const char* name) {
  return ext::glGetUniformLocation(record->program, name);
}

// Every entry point the programs and their users call. A driver may list
// the extension and still lack some.
bool glslEntryPointsPresent() {
  const void* const needed[] = {
      reinterpret_cast<const void*>(ext::glCreateProgram),
      reinterpret_cast<const void*>(ext::glCreateShader),
      reinterpret_cast<const void*>(ext::glShaderSource),
      reinterpret_cast<const void*>(ext::glCompileShader),
      reinterpret_cast<const void*>(ext::glAttachShader),
      reinterpret_cast<const void*>(ext::glLinkProgram),
      reinterpret_cast<const void*>(ext::glIsShader),
      reinterpret_cast<const void*>(ext::glIsProgram),
      reinterpret_cast<const void*>(ext::glGetShaderiv),
      reinterpret_cast<const void*>(ext::glGetProgramiv),
      reinterpret_cast<const void*>(ext::glGetShaderInfoLog),
      reinterpret_cast<const void*>(ext::glGetProgramInfoLog),
      reinterpret_cast<const void*>(ext::glDeleteProgram),
      reinterpret_cast<const void*>(ext::glUseProgram),
      reinterpret_cast<const void*>(ext::glGetUniformLocation),
      reinterpret_cast<const void*>(ext::glUniform1i),
      reinterpret_cast<const void*>(ext::glUniform1f),
      reinterpret_cast<const void*>(ext::glUniform2f),
      reinterpret_cast<const void*>(ext::glUniform1fv),
      reinterpret_cast<const void*>(ext::glUniform2fv),
      reinterpret_cast<const void*>(ext::glUniform3fv),
      reinterpret_cast<const void*>(ext::glUniform4fv),
      reinterpret_cast<const void*>(ext::glUniformMatrix4fv),
      reinterpret_cast<const void*>(ext::glDisableVertexAttribArray),
  };
  for (const void* entryPoint : needed) {
    if (entryPoint == nullptr) return false;
  }
  return true;
}

}  // namespace

void checkGlsl() {
  if (glslChecked) return;
  const bool extensionListed = hasExtension("GL_ARB_shading_language_100");
  // A driver that lists the extension without all of its entry points is
  // treated as one without GLSL: using it would call through a null pointer.
  const bool usable = extensionListed && glslEntryPointsPresent();
  if (usable || (!extensionListed && ext::glCreateShader != nullptr)) {
    glslEnabled = usable;
  } else {
    glslError(
        "Your video card does not support GL_ARB_shading_language_100 to use shaders. The "
        "shaders will be turned off.");
    glslEnabled = false;
  }
  glslChecked = true;
}

shaderProgram* createProgram() {
  auto* record = new shaderProgram;
  checkGlsl();
  if (glslEnabled) record->program = ext::glCreateProgram();
  return record;
}

void buildProgram(shaderProgram* record, const char* vertexSource, const char* fragmentSource) {
  if (!compile(GL_VERTEX_SHADER, vertexSource, "Vertex shader", &record->vertexShader)) {
    glslError(
        "Error occured during compiling vertex shader. Shaders will be skipped during "
        "rendering. See stdout.");
    return;
  }
  ext::glAttachShader(record->program, record->vertexShader);
  if (!compile(GL_FRAGMENT_SHADER, fragmentSource, "Fragment shader", &record->fragmentShader)) {
    glslError(
        "Error occured during compiling fragment shader. Shaders will be skipped during "
        "rendering. See stdout.");
    return;
  }
  ext::glAttachShader(record->program, record->fragmentShader);
  ext::glLinkProgram(record->program);
  int32_t status = 0;
  checkStatus(record->program, "Shader program", status);
  if (status != 1) {
    glslError(
        "Error occured during linking shader program. Shaders will be skipped during "
        "rendering. See stdout.");
  }
}

std::string infoLog(GLuint object) {
  const bool isShader = ext::glIsShader(object) == GL_TRUE;
  GLint logLength = 0;
  if (isShader) {
    ext::glGetShaderiv(object, GL_INFO_LOG_LENGTH, &logLength);
  } else if (ext::glIsProgram(object) == GL_TRUE) {
    ext::glGetProgramiv(object, GL_INFO_LOG_LENGTH, &logLength);
  }
  std::vector<char> log(static_cast<size_t>(logLength > 0 ? logLength : 0) + 1, '\0');
  if (logLength > 0) {
    if (isShader) {
      ext::glGetShaderInfoLog(object, logLength, nullptr, log.data());
    } else {
      ext::glGetProgramInfoLog(object, logLength, nullptr, log.data());
    }
  }
  return log.data();
}

void checkStatus(GLuint object, const char* label, int32_t& status) {
  status = 0;
  if (ext::glIsShader(object) == GL_TRUE) {
    ext::glGetShaderiv(object, GL_COMPILE_STATUS, &status);
  } else if (ext::glIsProgram(object) == GL_TRUE) {
    ext::glGetProgramiv(object, GL_LINK_STATUS, &status);
  }
  if (status != 1) {
    char text[4096];
    std::snprintf(text, sizeof text, "%s:\n%s\n", label, infoLog(object).c_str());
    glslError(text);
  }
}

void destroyProgram(shaderProgram* record) {
  if (record == nullptr) return;
  if (glslEnabled) ext::glDeleteProgram(record->program);
  delete record;
}

void useProgram(const shaderProgram* record) {
  if (glslEnabled && record != nullptr) ext::glUseProgram(record->program);
}

void useNoProgram() {
  if (glslEnabled) ext::glUseProgram(0);
}

void setUniform(const shaderProgram* record, const char* name, int32_t value) {
  if (glslEnabled) ext::glUniform1i(locationOf(record, name), value);
}

void setUniform(const shaderProgram* record, const char* name, float value) {
  if (glslEnabled) ext::glUniform1f(locationOf(record, name), value);
}

void setUniform(const shaderProgram* record, const char* name, float x, float y) {
  if (glslEnabled) ext::glUniform2f(locationOf(record, name), x, y);
}

void setUniformVectors(const shaderProgram* record, const char* name, int components,
                       int32_t count, const float* values) {
  if (!glslEnabled) return;
  const GLint location = locationOf(record, name);
  switch (components) {
    case 2: ext::glUniform2fv(location, count, values); break;
    case 3: ext::glUniform3fv(location, count, values); break;
    case 4: ext::glUniform4fv(location, count, values); break;
    default: ext::glUniform1fv(location, count, values); break;
  }
}

}  // namespace gfx
