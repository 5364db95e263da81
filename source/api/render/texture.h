#pragma once

#include "api/render/texture_params.h"

#include <cstdint>
#include <string>

namespace FWrender {

// An image on a texture unit: a file name (or generator name), the GL
// texture made from it, the unit it binds to and a small texture transform.
// Destroying it never deletes the GL texture (textures are shared by name).
class texture {
 public:
  texture() = default;
  virtual ~texture() = default;

  // Turns name and params into glId: from textureCache when the same name
  // and parameter codes were loaded before, otherwise through the loader
  // hook (generator or package image), resampled and uploaded. Does nothing
  // when glId is set. Needs a current context; throws what the hook throws
  // (258 missing file, 2945 undecodable image).
  void load();
  // Enables texturing on every unit, selects `unit`, binds the texture (the
  // white default texture on unit 0 when it has no GL name, none elsewhere)
  // and loads the texture matrix. Leaves GL_TEXTURE as the matrix mode.
  void bind();
  // Selects `unit` and binds the fallback of bind().
  void unbind();
  // Loads scale and offset into the current unit's texture matrix.
  void applyMatrix();

  std::string name;
  uint32_t glId = 0;
  int32_t unit = 0;
  float mapAngle = 0.0f;
  float scale[2] = {1.0f, 1.0f};
  float offset[2] = {0.0f, 0.0f};
  TextureParams params;
};

}  // namespace FWrender
