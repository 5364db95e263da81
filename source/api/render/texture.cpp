#include "api/render/texture.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "api/gl/state.h"
#include "api/math/matrix.h"
#include "api/texture/registry.h"
#include "api/texture/upload.h"

#include <memory>

namespace FWrender {

namespace {

void bindOnUnit(int32_t unit, GLuint name) {
  ext::glActiveTextureARB(GL_TEXTURE0_ARB + static_cast<GLenum>(unit));
  if (name == 0) name = unit == 0 ? gfx::defaultTexture : 0;
  glBindTexture(GL_TEXTURE_2D, name);
}

}  // namespace

void texture::load() {
  if (glId != 0) return;
  const std::string key = FWtexture::cacheKey(name, params);
  auto cached = FWtexture::textureCache.find(key);
  if (cached != FWtexture::textureCache.end()) {
    glId = cached->second;
    return;
  }
  if (FWtexture::textureLoader == nullptr) return;

  int32_t flag = 0;
  std::unique_ptr<FWtexture::bitmap> image;
  FWtexture::textureLoader(name.c_str(), flag, image);
  // Without a bitmap nothing is cached, so a later load tries again.
  if (!image) return;
  if (flag == 1) FWtexture::uploadBitmap(*image, *this);
  FWtexture::textureCache[key] = glId;
}

void texture::bind() {
  gfx::enableTexturing();
  bindOnUnit(unit, glId);
  applyMatrix();
}

void texture::unbind() { bindOnUnit(unit, 0); }

void texture::applyMatrix() {
  FWmath::matrix transform;
  transform.translateScale(offset[0], offset[1], 1.0f, scale[0], scale[1], 1.0f);
  glMatrixMode(GL_TEXTURE);
  glLoadMatrixf(transform.m);
}

}  // namespace FWrender
