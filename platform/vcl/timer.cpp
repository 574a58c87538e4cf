#include "timer.h"

#include <set>

#include "application.h"

namespace vcl {

namespace {

// Live timers: a WM_TIMER already queued for a freed timer finds nothing.
std::set<Timer*>& LiveTimers() {
  static std::set<Timer*> timers;
  return timers;
}

void InstallDispatch(void (*dispatch)(UINT_PTR)) {
  static const bool installed = [dispatch] {
    Application::Instance().AddUtilityHook([dispatch](UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
      if (msg != WM_TIMER) return false;
      dispatch(wp);
      result = 0;
      return true;
    });
    return true;
  }();
  (void)installed;
}

}  // namespace

Timer::Timer(UINT interval_ms, bool enabled) : interval_(interval_ms), enabled_(enabled) {
  InstallDispatch(&Timer::Dispatch);
  LiveTimers().insert(this);
  Arm();
}

Timer::~Timer() {
  Disarm();
  LiveTimers().erase(this);
}

void Timer::Arm() {
  Disarm();
  if (!enabled_ || interval_ == 0) return;
  SetTimer(Application::Instance().UtilityWindow(), reinterpret_cast<UINT_PTR>(this), interval_, nullptr);
  armed_ = true;
}

void Timer::Disarm() {
  if (!armed_) return;
  KillTimer(Application::Instance().UtilityWindow(), reinterpret_cast<UINT_PTR>(this));
  armed_ = false;
}

void Timer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Arm();
}

void Timer::SetInterval(UINT interval_ms) {
  interval_ = interval_ms;
  Arm();
}

void Timer::Dispatch(UINT_PTR id) {
  auto* timer = reinterpret_cast<Timer*>(id);
  if (!LiveTimers().count(timer) || !timer->enabled_) return;
  if (timer->on_timer) timer->on_timer();
}

}  // namespace vcl
