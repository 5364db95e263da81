#pragma once

#include <cstdint>
#include <vector>

namespace scenes {

// An interpolating cubic spline through (time, value) pairs with the
// Forsythe-Malcolm-Moler end conditions: at each end the third derivative
// equals that of the cubic through the first (last) four pairs, so any
// cubic is reproduced exactly. Each interval i holds a0 + h(a1 + h(a2 +
// h a3)) with h the distance from its start time.
class cubicSpline {
 public:
  cubicSpline() = default;
  // Builds the coefficients. `times` must increase strictly; with fewer than
  // two pairs the spline is constant (or 0 when empty). Linear in the count.
  cubicSpline(const std::vector<float>& times, const std::vector<float>& values);

  // The value at `time`. Outside the node times the end intervals'
  // polynomials carry on. Remembers the interval it found, so evaluating at
  // increasing times costs O(1) each; otherwise a binary search. Not
  // thread-safe (the remembered interval is shared).
  float at(float time) const;

  int32_t size() const { return static_cast<int32_t>(times_.size()); }
  // The four coefficients of interval `index` (a0, a1, a2, a3).
  void coefficients(int32_t index, float out[4]) const;

 private:
  int32_t intervalOf(float time) const;

  std::vector<float> times_;
  std::vector<float> a0_, a1_, a2_, a3_;
  mutable int32_t lastInterval_ = 0;
};

}  // namespace scenes
