#pragma once

#include "api/gl/gl.h"

#include <cstdint>
#include <string>

// GLSL programs built from a vertex and a fragment source. When GLSL is
// unavailable or a program fails to build, the show goes on: the program
// stays unlinked (or 0) and binding it changes nothing.

namespace gfx {

extern bool glslEnabled;  // shaders are used at all
extern bool glslChecked;  // the decision has been made

struct shaderProgram {
  GLuint vertexShader = 0;
  GLuint fragmentShader = 0;
  GLuint program = 0;  // 0 when GLSL is disabled
};

// Decides glslEnabled once (warning box when GLSL is missing); later calls
// return at once.
void checkGlsl();

// A new program record; with GLSL enabled its program object exists.
shaderProgram* createProgram();

// Compiles both sources (zero-terminated), attaches and links. Each failure
// shows the driver log and a box, and stops there. Call only with GLSL on.
void buildProgram(shaderProgram* record, const char* vertexSource, const char* fragmentSource);

// The driver's compile log of a shader, or link log of a program; "" when
// it wrote none. Allocates the log.
std::string infoLog(GLuint object);

// Reads the compile or link status of `object` into `status` (1 = good) and
// shows "label:\nlog\n" when it is not good. Allocates the log.
void checkStatus(GLuint object, const char* label, int32_t& status);

// Deletes the program object (not its shaders) and the record.
void destroyProgram(shaderProgram* record);

// Binding idiom: glUseProgram(program) before drawing, 0 after; nothing
// without GLSL.
void useProgram(const shaderProgram* record);
void useNoProgram();

// Uniform idiom: the location is looked up by name on every call (a name
// the program lacks gives -1, which OpenGL ignores); nothing without GLSL.
void setUniform(const shaderProgram* record, const char* name, int32_t value);
void setUniform(const shaderProgram* record, const char* name, float value);
void setUniform(const shaderProgram* record, const char* name, float x, float y);
// `count` vectors of `components` (2, 3 or 4) floats each.
void setUniformVectors(const shaderProgram* record, const char* name, int components,
                       int32_t count, const float* values);

}  // namespace gfx
