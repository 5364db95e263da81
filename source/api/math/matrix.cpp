#include "api/math/matrix.h"

#include <cmath>

namespace FWmath {

namespace {

float operand[16];
float accumulator[16];

void clearOperand(int n) {
  for (int s = 0; s < n * n; ++s) operand[s] = 0.0f;
}

}  // namespace

const float* operandScratch() { return operand; }
const float* accumulatorScratch() { return accumulator; }

float radians(float degrees) {
  return static_cast<float>(degrees / 180.0 * 3.141592653589793);
}

void normalize(float* v) {
  float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0f) length = 1.0f;
  v[0] /= length;
  v[1] /= length;
  v[2] /= length;
}

matrix::matrix() : dim(4) { identity(); }

matrix& matrix::identity() {
  const int n = dim;
  for (int s = 0; s < n * n; ++s) m[s] = 0.0f;
  for (int i = 0; i < n; ++i) m[i * (n + 1)] = 1.0f;
  return *this;
}

void matrix::multiply(const float* b) {
  const int n = dim;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      for (int k = 0; k < n; ++k) {
        accumulator[i * n + j] += m[i * n + k] * b[k * n + j];
      }
    }
  }
  for (int s = 0; s < n * n; ++s) {
    m[s] = accumulator[s];
    accumulator[s] = 0.0f;
  }
}

void matrix::translate(float x, float y, float z) {
  for (int s = 0; s < 16; ++s) operand[s] = (s % 5 == 0) ? 1.0f : 0.0f;
  operand[12] = x;
  operand[13] = y;
  operand[14] = z;
  multiply(operand);
  clearOperand(dim);
}

void matrix::translateScale(float x, float y, float z, float sx, float sy, float sz) {
  for (float& value : operand) value = 0.0f;
  operand[0] = sx;
  operand[5] = sy;
  operand[10] = sz;
  operand[15] = 1.0f;
  operand[12] = x;
  operand[13] = y;
  operand[14] = z;
  multiply(operand);
  clearOperand(dim);
}

void matrix::rotate(float angle, float ax, float ay, float az) {
  const float length = std::sqrt(ax * ax + ay * ay + az * az);
  if (length > 1.0f) {
    ax /= length;
    ay /= length;
    az /= length;
  }
  const float rad = radians(angle);
  const float cosA = std::cos(rad);
  const float sinA = std::sin(rad);
  const float t = 1.0f - cosA;
  operand[0] = cosA + t * ax * ax;
  operand[1] = t * ax * ay + sinA * az;
  operand[2] = t * ax * az - sinA * ay;
  operand[3] = 0.0f;
  operand[4] = t * ax * ay - sinA * az;
  operand[5] = cosA + t * ay * ay;
  operand[6] = t * ay * az + sinA * ax;
  operand[7] = 0.0f;
  operand[8] = t * ax * az + sinA * ay;
  operand[9] = t * ay * az - sinA * ax;
  operand[10] = cosA + t * az * az;
  operand[11] = 0.0f;
  operand[12] = 0.0f;
  operand[13] = 0.0f;
  operand[14] = 0.0f;
  operand[15] = 1.0f;
  multiply(operand);
  clearOperand(dim);
}

}  // namespace FWmath
