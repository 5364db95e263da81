#include "engine/scenes/cubic_spline.h"

#include <cstddef>

namespace scenes {

cubicSpline::cubicSpline(const std::vector<float>& times, const std::vector<float>& values)
    : times_(times), a0_(values) {
  const std::size_t n = times_.size() < values.size() ? times_.size() : values.size();
  times_.resize(n);
  a0_.resize(n);
  a1_.assign(n, 0.0f);
  a2_.assign(n, 0.0f);
  a3_.assign(n, 0.0f);
  if (n < 2) return;
  const std::vector<float>& x = times_;
  const std::vector<float>& y = a0_;
  std::vector<float>& b = a1_;
  std::vector<float>& c = a2_;
  std::vector<float>& d = a3_;
  if (n == 2) {
    b[0] = b[1] = (y[1] - y[0]) / (x[1] - x[0]);
    return;
  }
  // The tridiagonal system for the second derivatives (over 2): b holds the
  // diagonal, d the off-diagonal, c the right-hand side.
  const std::size_t last = n - 1;
  d[0] = x[1] - x[0];
  c[1] = (y[1] - y[0]) / d[0];
  for (std::size_t i = 1; i < last; ++i) {
    d[i] = x[i + 1] - x[i];
    b[i] = 2.0f * (d[i - 1] + d[i]);
    c[i + 1] = (y[i + 1] - y[i]) / d[i];
    c[i] = c[i + 1] - c[i];
  }
  // End conditions: third derivatives from the divided differences of the
  // first and last four pairs.
  b[0] = -d[0];
  b[last] = -d[last - 1];
  c[0] = 0.0f;
  c[last] = 0.0f;
  if (n > 3) {
    c[0] = c[2] / (x[3] - x[1]) - c[1] / (x[2] - x[0]);
    c[last] = c[last - 1] / (x[last] - x[last - 2]) - c[last - 2] / (x[last - 1] - x[last - 3]);
    c[0] = c[0] * d[0] * d[0] / (x[3] - x[0]);
    c[last] = -c[last] * d[last - 1] * d[last - 1] / (x[last] - x[last - 3]);
  }
  for (std::size_t i = 1; i < n; ++i) {
    const float t = d[i - 1] / b[i - 1];
    b[i] -= t * d[i - 1];
    c[i] -= t * c[i - 1];
  }
  c[last] /= b[last];
  for (std::size_t i = last; i-- > 0;) c[i] = (c[i] - d[i] * c[i + 1]) / b[i];
  // Polynomial coefficients of each interval.
  b[last] = (y[last] - y[last - 1]) / d[last - 1] + d[last - 1] * (c[last - 1] + 2.0f * c[last]);
  for (std::size_t i = 0; i < last; ++i) {
    b[i] = (y[i + 1] - y[i]) / d[i] - d[i] * (c[i + 1] + 2.0f * c[i]);
    d[i] = (c[i + 1] - c[i]) / d[i];
    c[i] = 3.0f * c[i];
  }
  c[last] = 3.0f * c[last];
  d[last] = d[last - 1];
}

int32_t cubicSpline::intervalOf(float time) const {
  const int32_t n = size();
  int32_t i = lastInterval_;
  if (i >= n - 1) i = 0;
  if (time >= times_[static_cast<std::size_t>(i)] && time <= times_[static_cast<std::size_t>(i) + 1]) {
    return i;
  }
  // Binary search for the last node at or before `time` (node 0 for times
  // before the first).
  i = 0;
  int32_t j = n;
  while (j > i + 1) {
    const int32_t k = (i + j) / 2;
    if (time < times_[static_cast<std::size_t>(k)]) {
      j = k;
    } else {
      i = k;
    }
  }
  lastInterval_ = i;
  return i;
}

float cubicSpline::at(float time) const {
  const int32_t n = size();
  if (n == 0) return 0.0f;
  if (n == 1) return a0_[0];
  const std::size_t i = static_cast<std::size_t>(intervalOf(time));
  const float h = time - times_[i];
  return a0_[i] + h * (a1_[i] + h * (a2_[i] + h * a3_[i]));
}

void cubicSpline::coefficients(int32_t index, float out[4]) const {
  const std::size_t i = static_cast<std::size_t>(index);
  out[0] = a0_[i];
  out[1] = a1_[i];
  out[2] = a2_[i];
  out[3] = a3_[i];
}

}  // namespace scenes
