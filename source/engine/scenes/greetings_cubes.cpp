#include "engine/scenes/greetings_cubes.h"

#include "engine/show_random.h"

#include <cmath>

namespace scenes {

float unitRandom() {
  return 1.0f - static_cast<float>(showRandom() % 10000) / 5000.0f;
}

std::vector<cubeRecord> makeCubeRecords() {
  std::vector<cubeRecord> records(static_cast<size_t>(cubeRecordCount));
  for (int32_t i = 0; i < cubeRecordCount; ++i) {
    cubeRecord& record = records[static_cast<size_t>(i)];
    record.base[0] = static_cast<float>(i) * 1000.0f / static_cast<float>(cubeRecordCount);
    record.base[1] = 0.0f;
    record.base[2] = 0.0f;
    // The draw order fixes every later random table of the show: keep it.
    for (float& value : record.offset) value = 20.0f * unitRandom();
    for (float& value : record.angles) value = 360.0f * unitRandom();
    for (float& value : record.color) value = std::fabs(unitRandom());
    record.row = static_cast<int32_t>(std::fabs(20.0f * unitRandom()));
  }
  return records;
}

int32_t selectedCubeRow(float trackValue) {
  // Beyond what an int holds (or NaN) no row can match; the conversion
  // itself would be undefined there.
  if (!(std::fabs(trackValue) < 2147483520.0f)) return -1;
  return static_cast<int32_t>(trackValue);
}

float cubeHighlight(const cubeRecord& record, int32_t selectedRow, float strength) {
  return record.row == selectedRow ? strength : 0.0f;
}

}  // namespace scenes
