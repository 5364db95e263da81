#include "content/show_models.h"

namespace content {

scene3ds makeCubeScene() {
  constexpr float half = 5.0f;
  object3ds cube;
  cube.name = "cube";
  cube.smooth = true;
  cube.material = "cube";
  for (int axis = 0; axis < 3; ++axis) {
    for (int sign : {-1, 1}) {
      // Two in-plane axes whose cross product points out of this side.
      int u = (axis + 1) % 3, v = (axis + 2) % 3;
      if (sign < 0) std::swap(u, v);
      const int first = static_cast<int>(cube.vertices.size());
      const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
      for (const auto& corner : corners) {
        std::array<float, 3> p{};
        p[axis] = sign * half;
        p[u] = corner[0] * half;
        p[v] = corner[1] * half;
        cube.vertices.push_back(p);
        cube.mapping.push_back({(corner[0] + 1) / 2, (corner[1] + 1) / 2});
      }
      cube.faces.push_back({first, first + 1, first + 2});
      cube.faces.push_back({first, first + 2, first + 3});
    }
  }
  material3ds material;
  material.name = "cube";
  material.ambient = colour{0.25f, 0.24f, 0.23f};
  material.diffuse = colour{0.92f, 0.9f, 0.88f};
  material.specular = colour{0.6f, 0.6f, 0.6f};
  material.shininess = 32.0f;
  return scene3ds{{material}, {cube}};
}

}  // namespace content
