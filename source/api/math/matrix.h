#pragma once

#include <cstdint>

namespace FWmath {

// A 4x4 float transform in OpenGL's column-major order (row r, column k is
// m[4k + r]), handed to OpenGL as is. Every operation multiplies onto the
// left (M := Op * M), so a vertex undergoes the operations in call order:
// the reverse of glTranslatef/glRotatef.
//
// Not re-entrant: all matrices share two static scratch arrays. Main thread.
class matrix {
 public:
  matrix();
  virtual ~matrix() = default;

  // Resets to identity; returns *this for chaining.
  matrix& identity();
  // this := B * this, with B a bare 16-float column-major array.
  void multiply(const float* b);
  void translate(float x, float y, float z);
  // Scaling by (sx, sy, sz) followed by a translation by (x, y, z).
  void translateScale(float x, float y, float z, float sx, float sy, float sz);
  // Rotation in degrees about (ax, ay, az); the axis is normalised only when
  // longer than 1, so a shorter axis also scales.
  void rotate(float angle, float ax, float ay, float az);

  float m[16];
  int8_t dim;
};

// The scratch arrays, exposed so tests can check they are left zeroed.
const float* operandScratch();
const float* accumulatorScratch();

// Divides (x, y, z) by its length; a zero length counts as 1, so a zero
// vector stays zero.
void normalize(float* v);

// Degrees to radians with the framework's constants, rounded to float.
float radians(float degrees);

}  // namespace FWmath
