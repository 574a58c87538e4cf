// The traffic meter's arithmetic: every 4 seconds or more a sample turns the
// bytes counted since the previous sample into two bar values (0-100 scale),
// and every tick the byte labels show the totals modulo 2^32.
#pragma once

#include <cstdint>
#include <optional>

#include "nfapi_types.h"

namespace tvn {

class DriverPort;

// Bytes in one sample that fill a bar.
inline constexpr double kFullInboundBar = 200000.0;
inline constexpr double kFullOutboundBar = 32000.0;
inline constexpr uint32_t kSampleIntervalMs = 4000;

// delta x 100 / fullBar rounded half to even; a value of at least 1 and
// below 10 shows as 15 so that a trickle of traffic stays visible.
int MeterBarValue(uint32_t deltaBytes, double fullBar);

// What a chart draws of a value.
int ClampBarValue(int value);

struct MeterSample {
  int In = 0;
  int Out = 0;
};

// The meter's memory between ticks; starts at zero like at program start.
class TrafficStats {
 public:
  // One tick at `nowMs` (system tick count) with the totals just read.
  // Returns a sample when 4000 ms or more (unsigned difference) passed since
  // the previous one.
  std::optional<MeterSample> Tick(uint32_t nowMs, const NfFlowStat& current);

  // The label values: low 32 bits of the last totals read.
  uint32_t InboundLabelBytes() const { return static_cast<uint32_t>(last_.inBytes); }
  uint32_t OutboundLabelBytes() const { return static_cast<uint32_t>(last_.outBytes); }

 private:
  NfFlowStat last_{};
  NfFlowStat previous_{};
  uint32_t previousTick_ = 0;
};

// One tick of the meter's timer: reads the counting context's totals and,
// when the read succeeds, ticks the stats. Nothing changes on a failed read:
// labels and charts stay as they were. Returns whether the read succeeded.
bool ReadTrafficTotals(DriverPort& driver, nf_flowctl_handle handle, uint32_t nowMs, TrafficStats& stats,
                       std::optional<MeterSample>& sample);

}  // namespace tvn
