// The simulated driver's scenario: one step per line.
//   process PID PATH                       the path the driver reports for PID
//   connect ID PID out|in|both LOCAL REMOTE a TCP connection's request
//   send ID BYTES / recv ID BYTES          data through the TCP data handlers
//   udp PID REMOTE BYTES                   a datagram through the UDP handlers
//   wait MS
//   expect ID allowed|held|blocked|closed [WITHIN_MS]
//   expect-bytes in|out N                  totals of the last counting context
// Addresses are a.b.c.d:port or [v6]:port. Blank lines and lines starting
// with "#" are skipped.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "nfapi_types.h"

namespace drvsim {

// A socket address as the connection record holds it (Windows families).
struct SocketAddress {
  uint8_t Bytes[NF_ADDRESS_SIZE] = {};
};
bool ParseSocketAddress(const std::string& text, SocketAddress* address);

enum class ConnectionState { Allowed, Held, Blocked, Closed };
const char* StateName(ConnectionState state);

struct ProcessStep {
  uint32_t ProcessId;
  std::string Path;
};
struct ConnectStep {
  uint64_t Id;
  uint32_t ProcessId;
  uint8_t Direction;
  SocketAddress Local, Remote;
};
struct DataStep {
  uint64_t Id;
  bool Inbound;
  uint32_t Bytes;
};
struct UdpStep {
  uint32_t ProcessId;
  SocketAddress Remote;
  uint32_t Bytes;
};
struct WaitStep {
  uint32_t Milliseconds;
};
struct ExpectStep {
  uint64_t Id;
  ConnectionState State;
  uint32_t WithinMs;
};
struct ExpectBytesStep {
  bool Inbound;
  uint64_t Bytes;
};

using Step = std::variant<ProcessStep, ConnectStep, DataStep, UdpStep, WaitStep, ExpectStep, ExpectBytesStep>;

struct ScenarioLine {
  int Number;
  std::string Text;
  Step Action;
};

struct Scenario {
  std::vector<ScenarioLine> Lines;
};

// Parses a whole scenario; on a bad line returns false with "line N: why".
bool ParseScenario(const std::string& text, Scenario* scenario, std::string* error);

}  // namespace drvsim
