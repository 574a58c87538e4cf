// The engine's only way to the packet-filter driver. Production binds it to
// the nfapi library; tests hand the engine a recording fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "nfapi_types.h"

namespace tvn {

class DriverPort {
 public:
  virtual ~DriverPort() = default;

  virtual int Init(const char* driverName, NfEventHandlers* handlers) = 0;
  virtual int Free() = 0;
  // atHead: the rule takes precedence over every rule added before it.
  virtual int AddRule(const NfRule& rule, bool atHead) = 0;
  virtual int DeleteRules() = 0;
  virtual int TcpSetConnectionState(nf_endpoint_id id, bool suspended) = 0;
  virtual int TcpClose(nf_endpoint_id id) = 0;
  virtual int TcpPostReceive(nf_endpoint_id id, const char* buffer, int length) = 0;
  virtual int TcpPostSend(nf_endpoint_id id, const char* buffer, int length) = 0;
  virtual int UdpPostReceive(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                             NfUdpOptions* options) = 0;
  virtual int UdpPostSend(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                          NfUdpOptions* options) = 0;
  // Full path of the program file of a process, as the driver reports it.
  virtual std::optional<std::string> GetProcessName(uint32_t processId) = 0;
  virtual int AddFlowCtl(const NfFlowLimits& limits, nf_flowctl_handle* handle) = 0;
  virtual int SetTcpFlowCtl(nf_endpoint_id id, nf_flowctl_handle handle) = 0;
  virtual int GetFlowCtlStat(nf_flowctl_handle handle, NfFlowStat* stat) = 0;
};

}  // namespace tvn
