#include "api/math/matrix.h"

#include "api/gl/gl.h"
#include "support/headless_gl.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Where the matrix takes the point (x, y, z).
std::array<float, 3> apply(const FWmath::matrix& matrix, float x, float y, float z) {
  const float* m = matrix.m;
  return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
          m[2] * x + m[6] * y + m[10] * z + m[14]};
}

void expectScratchClear() {
  for (int s = 0; s < 16; ++s) {
    EXPECT_EQ(FWmath::operandScratch()[s], 0.0f) << "operand " << s;
    EXPECT_EQ(FWmath::accumulatorScratch()[s], 0.0f) << "accumulator " << s;
  }
}

TEST(Matrix, TranslationFillsTheLastColumnOfAnIdentity) {
  FWmath::matrix matrix;
  EXPECT_EQ(matrix.dim, 4);
  matrix.translate(1, 2, 3);
  const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
  for (int s = 0; s < 16; ++s) EXPECT_EQ(matrix.m[s], expected[s]) << s;
  expectScratchClear();
}

TEST(Matrix, OperationsApplyInCallOrder) {
  FWmath::matrix translateFirst;
  translateFirst.translate(1, 0, 0);
  translateFirst.rotate(90, 0, 0, 1);
  const auto moved = apply(translateFirst, 0, 0, 0);
  EXPECT_NEAR(moved[0], 0.0f, 1e-6);
  EXPECT_NEAR(moved[1], 1.0f, 1e-6);

  FWmath::matrix rotateFirst;
  rotateFirst.rotate(90, 0, 0, 1);
  rotateFirst.translate(1, 0, 0);
  const auto other = apply(rotateFirst, 0, 0, 0);
  EXPECT_NEAR(other[0], 1.0f, 1e-6);
  EXPECT_NEAR(other[1], 0.0f, 1e-6);

  // The scene code's chain: rotations about X then Y, then two moves.
  FWmath::matrix chain;
  chain.rotate(90, 1, 0, 0);  // (0, 1, 0) -> (0, 0, 1)
  chain.rotate(90, 0, 1, 0);  // (0, 0, 1) -> (1, 0, 0)
  chain.translate(0, 5, 0);
  chain.translate(0, 0, 7);
  const auto chained = apply(chain, 0, 1, 0);
  EXPECT_NEAR(chained[0], 1.0f, 1e-5);
  EXPECT_NEAR(chained[1], 5.0f, 1e-5);
  EXPECT_NEAR(chained[2], 7.0f, 1e-5);
  expectScratchClear();
}

TEST(Matrix, TranslateScaleScalesThenMoves) {
  FWmath::matrix matrix;
  matrix.translateScale(1, 2, 3, 2, 3, 4);
  const auto p = apply(matrix, 1, 1, 1);
  EXPECT_EQ(p[0], 3.0f);
  EXPECT_EQ(p[1], 5.0f);
  EXPECT_EQ(p[2], 7.0f);
  expectScratchClear();
}

TEST(Matrix, OnlyAxesLongerThanOneAreNormalised) {
  FWmath::matrix unit;
  unit.rotate(30, 0, 0, 1);
  FWmath::matrix doubled;
  doubled.rotate(30, 0, 0, 2);
  for (int s = 0; s < 16; ++s) EXPECT_FLOAT_EQ(doubled.m[s], unit.m[s]) << s;

  // Axis (0, 0, 0.5) keeps its length: t = 1 - cos terms use az = 0.5.
  FWmath::matrix shortAxis;
  shortAxis.rotate(90, 0, 0, 0.5f);
  const float cosA = std::cos(FWmath::radians(90));
  const float sinA = std::sin(FWmath::radians(90));
  EXPECT_FLOAT_EQ(shortAxis.m[0], cosA);
  EXPECT_FLOAT_EQ(shortAxis.m[1], sinA * 0.5f);
  EXPECT_FLOAT_EQ(shortAxis.m[4], -sinA * 0.5f);
  EXPECT_FLOAT_EQ(shortAxis.m[10], cosA + (1 - cosA) * 0.25f);
  // So it shrinks the X-Y plane to half instead of only turning it.
  const auto p = apply(shortAxis, 1, 0, 0);
  EXPECT_NEAR(std::hypot(p[0], p[1]), 0.5f, 1e-6);
  expectScratchClear();
}

TEST(Matrix, IdentityResetsAndChains) {
  FWmath::matrix matrix;
  matrix.rotate(45, 1, 1, 0);
  FWmath::matrix& same = matrix.identity();
  EXPECT_EQ(&same, &matrix);
  for (int s = 0; s < 16; ++s) EXPECT_EQ(matrix.m[s], s % 5 == 0 ? 1.0f : 0.0f);
}

TEST(Matrix, MultiplyPreMultipliesABareArray) {
  FWmath::matrix matrix;
  matrix.translate(1, 0, 0);
  float scale[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
  matrix.multiply(scale);  // scale after the move
  EXPECT_EQ(matrix.m[12], 2.0f);
  expectScratchClear();
}

TEST(Matrix, RoundTripsThroughOpenGl) {
  ASSERT_TRUE(testing_support::headlessGl());
  FWmath::matrix original;
  original.rotate(33, 1, 2, 3);
  original.translate(4, 5, 6);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadMatrixf(original.m);
  FWmath::matrix readBack;
  glGetFloatv(GL_MODELVIEW_MATRIX, readBack.m);
  glLoadMatrixf(readBack.m);
  FWmath::matrix again;
  glGetFloatv(GL_MODELVIEW_MATRIX, again.m);
  glPopMatrix();
  for (int s = 0; s < 16; ++s) {
    EXPECT_EQ(readBack.m[s], original.m[s]) << s;
    EXPECT_EQ(again.m[s], original.m[s]) << s;
  }
}

TEST(Vector, NormaliseKeepsAZeroVectorZero) {
  float zero[3] = {0, 0, 0};
  FWmath::normalize(zero);
  EXPECT_EQ(zero[0], 0.0f);
  EXPECT_FALSE(std::isnan(zero[1]));
  float v[3] = {3, 0, 4};
  FWmath::normalize(v);
  EXPECT_FLOAT_EQ(v[0], 0.6f);
  EXPECT_FLOAT_EQ(v[2], 0.8f);
}

}  // namespace
