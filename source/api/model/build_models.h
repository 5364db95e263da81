#pragma once

#include "api/model/parse3ds.h"
#include "api/render/model.h"

#include <memory>
#include <vector>

namespace FWmodel {

// Turns the parser's records into models, one per object with at least one
// vertex and one face, in file order, replacing `models`. Smooth objects
// (bit 0 of their smoothing flags) share vertices; faceted ones get three
// vertices per face. Each material group gets the last material of its
// name with one texture per map (up to one per texture unit), or, until a
// group of the object has matched, a default material. Textures are named
// but not loaded, and models are not built: the caller does both. Returns
// 0 without a parser, else 1. Throws 3 when a face, mapping or group index
// is out of range or a faceted object has more faces than 16-bit indices
// can address (21845). No GL calls.
int buildModels(const parse3ds* parser, std::vector<std::unique_ptr<FWrender::model>>& models);

}  // namespace FWmodel
