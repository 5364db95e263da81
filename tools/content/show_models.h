#pragma once

#include "content/model_3ds.h"

#include <string>

// The show's models. Both use Z as up, matching the cameras.
namespace content {

// "cube10by10.3ds": a 10 x 10 x 10 cube centred on the origin, four vertices
// of its own per side under one smoothing group, so the averaged normals
// stay flat per side; mapping 0..1 on every side; material "cube".
scene3ds makeCubeScene();

// "title.3ds": "Amber Pudding" extruded from the lettering face's outlines,
// about 100 units wide, centred on the origin, reading along +X with the
// front towards -Y. Caps and walls carry their own vertices, so edges stay
// sharp while curved walls shade smoothly; planar mapping on the caps,
// along-the-outline mapping on the walls; material "title".
scene3ds makeTitleScene(const std::string& fontPath);

}  // namespace content
