#include "trend_values.h"

#include <algorithm>

namespace vcl {

void TrendValues::Add(int value) {
  std::rotate(values_.begin(), values_.begin() + 1, values_.end());
  values_.back() = std::clamp(value, kMin, kMax);
}

}  // namespace vcl
