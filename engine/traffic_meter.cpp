#include "engine/traffic_meter.h"

#include <algorithm>
#include <cmath>

#include "engine/driver_port.h"

namespace tvn {

int MeterBarValue(uint32_t deltaBytes, double fullBar) {
  const double value = static_cast<double>(deltaBytes) * 100.0 / fullBar;
  if (value >= 1.0 && value < 10.0) return 15;
  // The default floating-point rounding mode rounds halves to even.
  return static_cast<int>(std::nearbyint(value));
}

int ClampBarValue(int value) { return std::clamp(value, 0, 100); }

std::optional<MeterSample> TrafficStats::Tick(uint32_t nowMs, const NfFlowStat& current) {
  last_ = current;
  if (static_cast<uint32_t>(nowMs - previousTick_) < kSampleIntervalMs) return std::nullopt;
  previousTick_ = nowMs;
  // Differences of the low 32 bits: a new, smaller context wraps around.
  const uint32_t deltaIn = static_cast<uint32_t>(current.inBytes) - static_cast<uint32_t>(previous_.inBytes);
  const uint32_t deltaOut = static_cast<uint32_t>(current.outBytes) - static_cast<uint32_t>(previous_.outBytes);
  previous_ = current;
  return MeterSample{MeterBarValue(deltaIn, kFullInboundBar), MeterBarValue(deltaOut, kFullOutboundBar)};
}

bool ReadTrafficTotals(DriverPort& driver, nf_flowctl_handle handle, uint32_t nowMs, TrafficStats& stats,
                       std::optional<MeterSample>& sample) {
  sample.reset();
  NfFlowStat totals{};
  if (driver.GetFlowCtlStat(handle, &totals) != NF_STATUS_SUCCESS) return false;
  sample = stats.Tick(nowMs, totals);
  return true;
}

}  // namespace tvn
