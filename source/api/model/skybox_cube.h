#pragma once

namespace FWrender {
class texture;
}

namespace FWmodel {

// The six face textures of a skybox (not owned), by face number: 0 and 1
// the +y and -y faces, 2 and 3 the -x and +x faces, 4 and 5 the -z and +z
// faces of the unrotated cube.
struct skyboxCube {
  FWrender::texture* faces[6] = {};
};

// Draws a cube of half extent 10 centred on the eye (the current
// modelview's rotation only, turned 90 degrees about x) with no depth test
// or depth writes, so it belongs before everything else in a frame. A face
// without a texture shows white. Ends with depth writes on. Adds 36 to
// polygonCount; allocation-free.
void drawSkyboxCube(const skyboxCube& cube);

}  // namespace FWmodel
