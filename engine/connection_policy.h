// The connection policy: the two handlers the driver library calls for every
// TCP connection, and one decider per blocking level that allows a
// connection, blocks and closes it, or holds it and queues its program for
// the user's answer. It keeps no state of its own: what it remembers lives in
// the decision tables and the rule store.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/policy_services.h"
#include "engine/socket_address_text.h"
#include "nfapi_types.h"

namespace tvn {

class DecisionTables;
class DriverPort;

// Everything the policy reaches outside the tables and the driver.
struct PolicyEnvironment {
  AppRuleStore* Rules = nullptr;
  CloudTrust* Cloud = nullptr;
  AddressTextFunction AddressText = SystemAddressText;
  // Posts to the GUI thread the request to enable the prompt timer; a driver
  // thread never touches the timer itself.
  std::function<void()> RequestPromptTimer;
  // Local time in the long time format, for the connection log.
  std::function<std::string()> LongTime;
  // The firewall's own process: its connections (trust query, file report,
  // update, driver channel) are never decided, so that a trust query is never
  // held behind another trust query.
  uint32_t OwnProcessId = 0;
};

class ConnectionPolicy {
 public:
  ConnectionPolicy(DecisionTables& tables, DriverPort& driver, PolicyEnvironment environment);

  // Slot 3 and slot 4 of the handler table.
  void OnConnectRequest(nf_endpoint_id id, NfConnection* connection);
  void OnConnected(nf_endpoint_id id, NfConnection* connection);

  // true: allowed; false: blocked or held.
  bool DecideWeak(NfConnection* connection, nf_endpoint_id id);
  bool DecideIntelligent(NfConnection* connection, nf_endpoint_id id);
  bool DecideStrict(NfConnection* connection, nf_endpoint_id id);

 private:
  bool DecideByLevel(NfConnection* connection, nf_endpoint_id id);
  std::optional<std::string> ProgramPath(uint32_t processId);
  std::string AddressText(const uint8_t* socketAddress) const;
  void Pass(nf_endpoint_id id, uint32_t processId, std::string_view path);
  bool Block(NfConnection* connection, nf_endpoint_id id);
  // The end of a block for a connection already suspended.
  bool Refuse(NfConnection* connection, nf_endpoint_id id);
  bool Hold(NfConnection* connection, nf_endpoint_id id, std::string_view path);
  bool CloudVouchesFor(const std::string& lowerPath);
  void LogConnection(const NfConnection& connection, bool allowed);

  DecisionTables& tables_;
  DriverPort& driver_;
  PolicyEnvironment environment_;
};

// Loopback, or both IPv4 addresses in the same first three octets.
bool IsLocalNetwork(std::string_view local, std::string_view remote);
bool IsDottedAddress(std::string_view text);
// The characters before the third ".", all of them when there are fewer.
std::string_view NetworkPrefix(std::string_view text);

// Substring tests of the lower-cased full path against the built-in list.
bool IsKnownProgram(std::string_view lowerPath);
bool IsKnownStrictProgram(std::string_view lowerPath);

// The log's split of a remote address text into host and port.
struct HostAndPort {
  std::string Host;
  std::string Port;
};
HostAndPort SplitRemoteAddress(std::string_view text);

// "entrant", "sortant" or "e/s"; empty for any other direction.
std::string_view DirectionText(uint8_t direction);

}  // namespace tvn
