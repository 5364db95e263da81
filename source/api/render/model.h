#pragma once

#include "api/render/material.h"
#include "api/render/mesh.h"
#include "api/render/texture.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace FWrender {

// A run of a model's triangles that share one material and one texture per
// texture unit. The group owns the material and textures the builder gave
// it (ownedMaterial, ownedTextures); `material` and `layers` may point at
// them or at objects someone else keeps alive.
struct MaterialGroup {
  // One empty layer per texture unit (at least one, also without a context).
  MaterialGroup();

  FWrender::material* material = nullptr;
  std::vector<texture*> layers;
  std::vector<triangle> groupFaces;  // copied from the model's faces by build
  std::vector<uint16_t> faceIndices;

  std::unique_ptr<FWrender::material> ownedMaterial;
  std::vector<std::unique_ptr<texture>> ownedTextures;
};

// A mesh with material groups; a model without groups draws whole with the
// current material and textures. New models are named "UnnamedObject-<n>"
// from a process-wide counter.
class model : public mesh {
 public:
  model();
  ~model() override;

  std::vector<std::unique_ptr<MaterialGroup>> groups;
};

// Appends `count` triangles; returns the new face count, or -1 (and adds
// nothing) for no triangles.
int32_t addFaces(const uint16_t* triangles, int32_t count, model& target);

// Appends `count` (s, t) pairs, or (0, 0) pairs without `pairs`; returns
// the vertex count, or -1 (adding nothing) when count is not positive.
int32_t addTexcoords(int32_t count, const float* pairs, model& target);

// Appends an empty group; returns its index.
int32_t addGroup(model& target);

// Replaces the group's face indices.
void setGroupFaces(MaterialGroup& group, const uint16_t* indices, int32_t count);

// Normals, tangents and bounds, the array set, and every group's triangles.
// Call exactly once (group triangles are appended on every call). Throws 3
// when a face or a group names something that does not exist. No GL calls.
void build(model& target);

// Draws the model (each group with its material and textures) under its
// local transform, between enableArrays and disableArrays of its array set.
// Adds to gfx::polygonCount and gfx::vertexCount. Throws 2564 when the
// model was never built.
void draw(model& target);

// Material and textures of a group (the default texture on unit 0 when the
// group has no texture there); unbindGroup undoes both.
void bindGroup(MaterialGroup& group);
void unbindGroup(MaterialGroup& group);

// The current number for the next default model name (tests).
int32_t nextUnnamedModelNumber();

}  // namespace FWrender
