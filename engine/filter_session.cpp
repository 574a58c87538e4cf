#include "engine/filter_session.h"

#include <atomic>

#include "engine/decision_tables.h"
#include "engine/driver_port.h"

namespace tvn {

namespace {

// The library calls plain C functions without a context argument; they reach
// the one open session through this pointer.
std::atomic<FilterSession*> activeSession{nullptr};

void NFAPI_CC NoAction() {}
void NFAPI_CC NoActionId(nf_endpoint_id) {}
void NFAPI_CC NoActionTcp(nf_endpoint_id, NfConnection*) {}
void NFAPI_CC NoActionUdp(nf_endpoint_id, NfUdpSocket*) {}
void NFAPI_CC NoActionUdpConnect(nf_endpoint_id, NfUdpConnectRequest*) {}

void NFAPI_CC ConnectRequestHandler(nf_endpoint_id id, NfConnection* connection) {
  if (FilterSession* session = activeSession.load()) session->Policy().OnConnectRequest(id, connection);
}
void NFAPI_CC ConnectedHandler(nf_endpoint_id id, NfConnection* connection) {
  if (FilterSession* session = activeSession.load()) session->Policy().OnConnected(id, connection);
}
void NFAPI_CC TcpReceiveHandler(nf_endpoint_id id, const char* buffer, int length) {
  if (FilterSession* session = activeSession.load()) session->OnTcpReceive(id, buffer, length);
}
void NFAPI_CC TcpSendHandler(nf_endpoint_id id, const char* buffer, int length) {
  if (FilterSession* session = activeSession.load()) session->OnTcpSend(id, buffer, length);
}
void NFAPI_CC UdpReceiveHandler(nf_endpoint_id id, const unsigned char* remote, const char* buffer, int length,
                                NfUdpOptions* options) {
  if (FilterSession* session = activeSession.load()) session->OnUdpReceive(id, remote, buffer, length, options);
}
void NFAPI_CC UdpSendHandler(nf_endpoint_id id, const unsigned char* remote, const char* buffer, int length,
                             NfUdpOptions* options) {
  if (FilterSession* session = activeSession.load()) session->OnUdpSend(id, remote, buffer, length, options);
}

}  // namespace

FilterSession::FilterSession(DecisionTables& tables, DriverPort& driver, ConnectionPolicy& policy)
    : tables_(tables), driver_(driver), policy_(policy) {}

FilterSession::~FilterSession() {
  FilterSession* self = this;
  activeSession.compare_exchange_strong(self, nullptr);
}

void FilterSession::FillHandlerTable() {
  handlers_ = NfEventHandlers{
      NoAction,   NoAction,   ConnectRequestHandler, ConnectedHandler,   NoActionTcp, TcpReceiveHandler, TcpSendHandler,
      NoActionId, NoActionId, NoActionUdp,           NoActionUdpConnect, NoActionUdp, UdpReceiveHandler, UdpSendHandler,
      NoActionId, NoActionId};
}

bool FilterSession::OpenFilterSession() {
  FillHandlerTable();
  activeSession = this;
  if (driver_.Init(kDriverName, &handlers_) != NF_STATUS_SUCCESS) return false;
  nf_flowctl_handle handle = 0;
  driver_.AddFlowCtl(NfFlowLimits{}, &handle);
  tables_.FlowControlHandle = handle;
  NfRule baseRule{};
  baseRule.protocol = NF_PROTOCOL_TCP;
  baseRule.filteringFlag = NF_FILTER;
  driver_.AddRule(baseRule, true);
  return true;
}

void FilterSession::CloseFilterSession() { driver_.Free(); }

void FilterSession::OnTcpReceive(nf_endpoint_id id, const char* buffer, int length) {
  if (!tables_.EmergencyStop) driver_.TcpPostReceive(id, buffer, length);
}

void FilterSession::OnTcpSend(nf_endpoint_id id, const char* buffer, int length) {
  if (!tables_.EmergencyStop) driver_.TcpPostSend(id, buffer, length);
}

void FilterSession::OnUdpReceive(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                                 NfUdpOptions* options) {
  driver_.UdpPostReceive(id, remoteAddress, buffer, length, options);
}

void FilterSession::OnUdpSend(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                              NfUdpOptions* options) {
  driver_.UdpPostSend(id, remoteAddress, buffer, length, options);
}

}  // namespace tvn
