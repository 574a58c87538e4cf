#include "engine/nfapi_driver_port.h"

#include "nfapi.h"

namespace tvn {

int NfapiDriverPort::Init(const char* driverName, NfEventHandlers* handlers) { return nf_init(driverName, handlers); }

int NfapiDriverPort::Free() {
  nf_free();
  return NF_STATUS_SUCCESS;
}

int NfapiDriverPort::AddRule(const NfRule& rule, bool atHead) {
  NfRule copy = rule;
  return nf_addRule(&copy, atHead ? 1 : 0);
}

int NfapiDriverPort::DeleteRules() { return nf_deleteRules(); }

int NfapiDriverPort::TcpSetConnectionState(nf_endpoint_id id, bool suspended) {
  return nf_tcpSetConnectionState(id, suspended ? 1 : 0);
}

int NfapiDriverPort::TcpClose(nf_endpoint_id id) { return nf_tcpClose(id); }

int NfapiDriverPort::TcpPostReceive(nf_endpoint_id id, const char* buffer, int length) {
  return nf_tcpPostReceive(id, buffer, length);
}

int NfapiDriverPort::TcpPostSend(nf_endpoint_id id, const char* buffer, int length) {
  return nf_tcpPostSend(id, buffer, length);
}

int NfapiDriverPort::UdpPostReceive(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer,
                                    int length, NfUdpOptions* options) {
  return nf_udpPostReceive(id, remoteAddress, buffer, length, options);
}

int NfapiDriverPort::UdpPostSend(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                                 NfUdpOptions* options) {
  return nf_udpPostSend(id, remoteAddress, buffer, length, options);
}

std::optional<std::string> NfapiDriverPort::GetProcessName(uint32_t processId) {
  char path[NF_MAX_PATH] = {};
  if (!nf_getProcessNameA(processId, path, NF_MAX_PATH)) return std::nullopt;
  return std::string(path);
}

int NfapiDriverPort::AddFlowCtl(const NfFlowLimits& limits, nf_flowctl_handle* handle) {
  NfFlowLimits copy = limits;
  return nf_addFlowCtl(&copy, handle);
}

int NfapiDriverPort::SetTcpFlowCtl(nf_endpoint_id id, nf_flowctl_handle handle) { return nf_setTCPFlowCtl(id, handle); }

int NfapiDriverPort::GetFlowCtlStat(nf_flowctl_handle handle, NfFlowStat* stat) {
  return nf_getFlowCtlStat(handle, stat);
}

}  // namespace tvn
