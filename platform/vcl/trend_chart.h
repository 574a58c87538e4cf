// A scrolling bar chart of the last 20 values on a fixed 0-100 scale.
#pragma once

#include "control.h"
#include "trend_values.h"

namespace vcl {

class TrendChart : public GraphicControl {
 public:
  explicit TrendChart(WinControl* parent);

  void AddValue(int value);
  void Clear();
  const TrendValues& Values() const { return values_; }
  void SetColors(Color background, Color bar, Color grid);

  void Paint(HDC dc) override;

 private:
  TrendValues values_;
  Color background_ = kBlack;
  Color bar_ = RGB(0, 200, 0);
  Color grid_ = RGB(0, 80, 0);
};

}  // namespace vcl
