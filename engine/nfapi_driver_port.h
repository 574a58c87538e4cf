// The engine's driver port bound to the nfapi library.
#pragma once

#include "engine/driver_port.h"

namespace tvn {

class NfapiDriverPort : public DriverPort {
 public:
  int Init(const char* driverName, NfEventHandlers* handlers) override;
  int Free() override;
  int AddRule(const NfRule& rule, bool atHead) override;
  int DeleteRules() override;
  int TcpSetConnectionState(nf_endpoint_id id, bool suspended) override;
  int TcpClose(nf_endpoint_id id) override;
  int TcpPostReceive(nf_endpoint_id id, const char* buffer, int length) override;
  int TcpPostSend(nf_endpoint_id id, const char* buffer, int length) override;
  int UdpPostReceive(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                     NfUdpOptions* options) override;
  int UdpPostSend(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                  NfUdpOptions* options) override;
  std::optional<std::string> GetProcessName(uint32_t processId) override;
  int AddFlowCtl(const NfFlowLimits& limits, nf_flowctl_handle* handle) override;
  int SetTcpFlowCtl(nf_endpoint_id id, nf_flowctl_handle handle) override;
  int GetFlowCtlStat(nf_flowctl_handle handle, NfFlowStat* stat) override;
};

}  // namespace tvn
