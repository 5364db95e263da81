#pragma once

#include <cstdint>
#include <vector>

// The greetings scene's cube table: where each cube of the long row sits,
// how it is turned, its colour and the row group it belongs to. Pure data,
// made once at set-up from the show's random generator.
namespace scenes {

struct cubeRecord {
  float base[3];    // place along the row: (i * 1000 / 4096, 0, 0)
  float offset[3];  // random offset, each within -20 .. 20
  float angles[3];  // rotation about x, y, z in degrees, each within -360 .. 360
  float color[3];   // 0 .. 1 each
  int32_t row;      // selection group, 0 .. 20
};

constexpr int32_t cubeRecordCount = 4096;
// Only every tenth record is drawn: 410 cubes.
constexpr int32_t cubeRecordStride = 10;

// 1 - (random mod 10000) / 5000: a value in (-1, 1] from the next random
// number.
float unitRandom();

// cubeRecordCount records, record by record and field by field (offset,
// angles, colour, row), each value drawn with unitRandom. Draws 10 random
// numbers per record.
std::vector<cubeRecord> makeCubeRecords();

// The selected row for a track value: truncated towards zero, so -0.5
// selects row 0 and 3.9 row 3; a value beyond the int range (or NaN) gives
// -1, which no record has.
int32_t selectedCubeRow(float trackValue);

// The highlight a record gets: `strength` when its row is the selected one,
// otherwise 0.
float cubeHighlight(const cubeRecord& record, int32_t selectedRow, float strength);

}  // namespace scenes
