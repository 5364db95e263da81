#include "api/render/model.h"

#include "api/gl/display.h"
#include "api/gl/extensions.h"
#include "engine/errors.h"

#include <algorithm>
#include <string>

namespace FWrender {

namespace {

int32_t unnamedModels = 0;

size_t layerCount() { return static_cast<size_t>(std::max(gfx::maxTextureUnits, 1)); }

}  // namespace

MaterialGroup::MaterialGroup() : layers(layerCount(), nullptr) {}

model::model() { name = "UnnamedObject-" + std::to_string(unnamedModels++); }

model::~model() = default;

int32_t nextUnnamedModelNumber() { return unnamedModels; }

int32_t addFaces(const uint16_t* triangles, int32_t count, model& target) {
  if (triangles == nullptr || count <= 0) return -1;
  for (int32_t f = 0; f < count; ++f) {
    target.faces.push_back({triangles[3 * f], triangles[3 * f + 1], triangles[3 * f + 2]});
  }
  return static_cast<int32_t>(target.faces.size());
}

int32_t addTexcoords(int32_t count, const float* pairs, model& target) {
  if (count <= 0) return -1;
  for (int32_t v = 0; v < count; ++v) {
    if (pairs != nullptr) {
      target.texcoords.push_back({pairs[2 * v], pairs[2 * v + 1]});
    } else {
      target.texcoords.push_back({0.0f, 0.0f});
    }
  }
  return static_cast<int32_t>(target.vertices.size());
}

int32_t addGroup(model& target) {
  target.groups.push_back(std::make_unique<MaterialGroup>());
  return static_cast<int32_t>(target.groups.size()) - 1;
}

void setGroupFaces(MaterialGroup& group, const uint16_t* indices, int32_t count) {
  group.faceIndices.clear();
  if (indices == nullptr || count <= 0) return;
  group.faceIndices.assign(indices, indices + count);
}

void build(model& target) {
  for (const auto& group : target.groups) {
    for (uint16_t index : group->faceIndices) {
      if (index >= target.faces.size()) throw errorCode::badIndex;
    }
  }
  computeNormals(target);
  setupArrays(target);
  for (const auto& group : target.groups) {
    for (uint16_t index : group->faceIndices) group->groupFaces.push_back(target.faces[index]);
  }
}

void bindGroup(MaterialGroup& group) {
  if (group.material != nullptr) applyMaterial(*group.material);
  for (int32_t unit = 0; unit < gfx::maxTextureUnits; ++unit) {
    texture* layer = static_cast<size_t>(unit) < group.layers.size() ? group.layers[unit] : nullptr;
    if (layer != nullptr) {
      layer->unit = unit;
      layer->bind();
    } else if (unit == 0) {
      ext::glActiveTextureARB(GL_TEXTURE0_ARB);
      glBindTexture(GL_TEXTURE_2D, gfx::defaultTexture);
    }
  }
}

void unbindGroup(MaterialGroup& group) {
  if (group.material != nullptr) resetMaterial();
  for (texture* layer : group.layers) {
    if (layer != nullptr) layer->unbind();
  }
}

namespace {

// Without triangles a mesh is drawn as its vertex list; a group without
// triangles draws nothing (wholeMesh false).
void drawTriangles(const model& target, const std::vector<triangle>& triangles, bool wholeMesh) {
  const VertexArraySet& set = *target.arrays;
  const GLenum mode = primitiveMode(set.primitive);
  const int32_t vertexCount = set.vertexSlot.elements;
  const int32_t indexCount = static_cast<int32_t>(triangles.size()) * 3;
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glMultMatrixf(target.transform.m);
  if (vertexCount > 0) {
    if (!triangles.empty()) {
      ext::glDrawRangeElements(mode, 0, static_cast<GLuint>(vertexCount - 1), indexCount,
                               GL_UNSIGNED_SHORT, triangles.data());
    } else if (wholeMesh) {
      glDrawArrays(mode, 0, vertexCount);
    }
  }
  glPopMatrix();
  gfx::polygonCount += indexCount;
  gfx::vertexCount += vertexCount;
}

}  // namespace

void draw(model& target) {
  if (!target.arrays) throw errorCode::modelNotBuilt;
  if (target.groups.empty()) {
    drawTriangles(target, target.faces, true);
    return;
  }
  for (const auto& group : target.groups) {
    bindGroup(*group);
    drawTriangles(target, group->groupFaces, false);
    unbindGroup(*group);
  }
}

}  // namespace FWrender
