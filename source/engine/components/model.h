#pragma once

#include "api/math/matrix.h"
#include "engine/item.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace FWrender {
class model;
}

namespace NGcomp {

// A set of meshes placed in the scene under one transform, drawn whole
// (draw) or mesh by mesh (beginPart, drawPart, endPart) so that callers can
// set shader state between binding a mesh and drawing it.
class model : public NGcommon::item {
 public:
  // Identity transform, no meshes; a creator assigns meshes and meshCount
  // before the loading phase.
  explicit model(const char* name);
  ~model() override;

  // Builds the first mesh (once), then the activity group (258 when its
  // track file is missing).
  void load() override;
  // When active: every mesh under `transform`, each with its groups'
  // materials and textures. Inactive: nothing. No allocation.
  void draw() override;

  // When active: pushes the modelview matrix, multiplies `transform` and
  // enables mesh `index`'s arrays. Throws 3 for an index outside the meshes.
  virtual void beginPart(int32_t index);
  // When active: draws mesh `index`, which beginPart must have accepted.
  virtual void drawPart(int32_t index);
  // When active: disables mesh `index`'s arrays and pops the matrix.
  virtual void endPart(int32_t index);

  // Meshes that exist of the meshCount a creator announced.
  int32_t partCount() const;

  FWmath::matrix transform;
  std::vector<std::unique_ptr<FWrender::model>> meshes;
  int32_t meshCount = 0;
};

// A model whose meshes come from "models/<fileName>" in the package.
class model3ds : public model {
 public:
  model3ds(const char* fileName, const char* name);
  ~model3ds() override;

  // Reads and parses the file, builds the meshes, loads their textures,
  // then the activity group. Throws 258 (missing file or texture), 2305
  // (not a 3DS file), 2306 (broken chunks), 3 (bad indices), 2945 (an
  // undecodable texture).
  void load() override;

  std::string fileName;
};

// Loads the textures of every group of `mesh`, unit by unit from unit 0 up
// to the first empty unit or the GL texture-unit count. Loading phase only.
void loadMeshTextures(FWrender::model& mesh);

}  // namespace NGcomp
