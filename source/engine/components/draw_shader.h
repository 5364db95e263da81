#pragma once

#include "engine/item.h"

#include <cstdint>
#include <string>

namespace gfx {
struct shaderProgram;
}

namespace NGcomp {

// A scene item that owns one GLSL program built from "fx/<vertex>" and
// "fx/<fragment>". It draws nothing itself: callers draw between begin()
// and end(), which bind the program with "resolution", "time" and "tex0".
// Always active (it never builds a bind group).
class drawShader : public NGcommon::item {
 public:
  // Either file name may be null; without both there is no program and
  // load, begin and end do nothing.
  drawShader(const char* vertexFile, const char* name, const char* fragmentFile);
  ~drawShader() override;

  // Captures the viewport size and builds the program from the package.
  // Throws 258 when a source is missing.
  void load() override;
  // Binds the program and sets its three standard uniforms (three name
  // lookups per call).
  void begin() override;
  // Disables every vertex attribute array and unbinds the program.
  void end() override;

  gfx::shaderProgram* shader = nullptr;
  std::string fragmentFile;  // empty when not given
  std::string vertexFile;
  bool hasFragmentFile = false;
  bool hasVertexFile = false;
  int32_t resolutionX = 0;
  int32_t resolutionY = 0;
};

}  // namespace NGcomp
