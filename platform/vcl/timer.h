// A timer whose handler runs on the thread that made it. As in the forms
// this layer stands in for, a handler that opens a modal form is entered
// again by the modal loop when the interval passes again.
#pragma once

#include <windows.h>

#include <functional>

namespace vcl {

class Timer {
 public:
  explicit Timer(UINT interval_ms = 1000, bool enabled = true);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }
  // Changing the interval of a running timer starts its wait again.
  void SetInterval(UINT interval_ms);
  UINT Interval() const { return interval_; }

  std::function<void()> on_timer;

 private:
  void Arm();
  void Disarm();
  static void Dispatch(UINT_PTR id);

  UINT interval_;
  bool enabled_;
  bool armed_ = false;
};

}  // namespace vcl
