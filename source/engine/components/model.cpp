#include "engine/components/model.h"

#include "api/gl/extensions.h"
#include "api/gl/gl.h"
#include "api/model/build_models.h"
#include "api/model/parse3ds.h"
#include "api/render/model.h"
#include "engine/errors.h"
#include "engine/file_buffer.h"
#include "engine/package.h"

#include <algorithm>
#include <cstdio>

namespace NGcomp {

namespace {

// Every 3DS load reads through this one buffer; the bytes of the last file
// stay in it until the next load.
fileBuffer& sharedModelBuffer() {
  static fileBuffer buffer;
  return buffer;
}

// The mesh's array set; 2564 for a mesh that was never built.
const FWrender::VertexArraySet& arraysOf(const FWrender::model& mesh) {
  if (!mesh.arrays) throw errorCode::modelNotBuilt;
  return *mesh.arrays;
}

}  // namespace

void loadMeshTextures(FWrender::model& mesh) {
  for (const auto& group : mesh.groups) {
    const int32_t units = static_cast<int32_t>(group->layers.size());
    for (int32_t unit = 0; unit < gfx::maxTextureUnits && unit < units; ++unit) {
      FWrender::texture* layer = group->layers[static_cast<size_t>(unit)];
      if (layer == nullptr) break;
      layer->load();
    }
  }
}

model::model(const char* name) : NGcommon::item(name) { kind = 0; }

model::~model() = default;

void model::load() {
  // Only the first record is built: a creator of a plain model gives it one.
  if (meshCount > 0 && meshes[0] != nullptr && !meshes[0]->arrays) FWrender::build(*meshes[0]);
  loadBindGroup();
}

int32_t model::partCount() const {
  return std::min(meshCount, static_cast<int32_t>(meshes.size()));
}

void model::draw() {
  if (!isActive()) return;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixf(transform.m);
  for (int32_t index = 0; index < partCount(); ++index) {
    FWrender::model& mesh = *meshes[static_cast<size_t>(index)];
    FWrender::enableArrays(arraysOf(mesh));
    FWrender::draw(mesh);
    FWrender::disableArrays(*mesh.arrays);
  }
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

void model::beginPart(int32_t index) {
  if (!isActive()) return;
  if (index < 0 || index >= partCount()) throw errorCode::badIndex;
  const FWrender::VertexArraySet& arrays = arraysOf(*meshes[static_cast<size_t>(index)]);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixf(transform.m);
  FWrender::enableArrays(arrays);
}

void model::drawPart(int32_t index) {
  if (!isActive()) return;
  FWrender::draw(*meshes[static_cast<size_t>(index)]);
}

void model::endPart(int32_t index) {
  if (!isActive()) return;
  FWrender::disableArrays(arraysOf(*meshes[static_cast<size_t>(index)]));
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

model3ds::model3ds(const char* file, const char* name) : model(name), fileName(file) {
  kind = 10;
}

model3ds::~model3ds() = default;

void model3ds::load() {
  char path[300];
  std::snprintf(path, sizeof path, "models/%s", fileName.c_str());
  fileBuffer& bytes = sharedModelBuffer();
  readFile(path, bytes);
  {
    const FWmodel::parse3ds parser(bytes.data, bytes.length);
    FWmodel::buildModels(&parser, meshes);
  }
  meshCount = static_cast<int32_t>(meshes.size());
  for (const auto& mesh : meshes) {
    loadMeshTextures(*mesh);
    FWrender::build(*mesh);
  }
  loadBindGroup();
}

}  // namespace NGcomp
