#pragma once

#include <string>

namespace FWrender {

// Fixed-function surface colours of a material group.
class material {
 public:
  material() = default;
  virtual ~material() = default;

  std::string name;
  float ambient[4] = {0, 0, 0, 1};
  float diffuse[4] = {1, 1, 1, 1};
  float specular[4] = {0, 0, 0, 1};
  float emission[4] = {0, 0, 0, 1};
  float shininess = 1.0f;
};

// White vertex colour, then the material's colours and shininess on
// GL_FRONT.
void applyMaterial(const material& surface);
// GL_FRONT back to white diffuse, ambient and specular, black emission,
// shininess 1.
void resetMaterial();

}  // namespace FWrender
