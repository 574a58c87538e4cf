// The values of a scrolling bar chart: the last 20 values on a fixed scale of
// 0 to 100; a value outside the scale is clamped to it.
#pragma once

#include <array>

namespace vcl {

class TrendValues {
 public:
  static constexpr int kCount = 20;
  static constexpr int kMin = 0;
  static constexpr int kMax = 100;

  // Appends a value at the right; the oldest value leaves at the left.
  void Add(int value);
  // Every value back to zero.
  void Clear() { values_.fill(0); }
  // Value i, 0 the oldest, kCount - 1 the newest.
  int At(int i) const { return values_.at(i); }

 private:
  std::array<int, kCount> values_{};
};

}  // namespace vcl
