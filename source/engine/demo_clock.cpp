#include "engine/demo_clock.h"

float rowPositionAt(uint32_t position, float frequency, float msPerRow) {
  const float milliseconds = static_cast<float>(static_cast<double>(position) * 1000.0 / frequency);
  const float rows = milliseconds / msPerRow;
  return static_cast<float>(rows + 1.0);
}

int32_t rowIndexOf(float rowPosition) {
  const int32_t whole = static_cast<int32_t>(rowPosition);
  const float fraction = rowPosition - static_cast<float>(whole);
  return fraction > 0.5f ? whole + 1 : whole;
}

float secondsAt(uint32_t position, float frequency) {
  return static_cast<float>(static_cast<double>(position) / frequency);
}
