#include "engine/scenes/scene_random.h"

#include "engine/show_random.h"

#include <cmath>

namespace scenes {

float randomSigned() { return 1.0f - static_cast<float>(showRandom() % 10000) / 5000.0f; }

void randomUnit(float out[3]) {
  const float x = randomSigned();
  const float y = randomSigned();
  const float z = randomSigned();
  float length = std::sqrt(x * x + y * y + z * z);
  if (length == 0.0f) length = 1.0f;
  out[0] = x / length;
  out[1] = y / length;
  out[2] = z / length;
}

}  // namespace scenes
