// The session with the packet-filter library: the handler table, the
// byte-counting context and the base rule that reports every TCP connection
// to the handlers. Opening and closing run on the GUI thread; the handlers
// run on the library's worker threads from nf_init until nf_free returns.
#pragma once

#include "engine/connection_policy.h"
#include "nfapi_types.h"

namespace tvn {

class DecisionTables;
class DriverPort;

inline constexpr const char* kDriverName = "torvane";

class FilterSession {
 public:
  FilterSession(DecisionTables& tables, DriverPort& driver, ConnectionPolicy& policy);
  ~FilterSession();
  FilterSession(const FilterSession&) = delete;
  FilterSession& operator=(const FilterSession&) = delete;

  // True when the driver answered and the session is open.
  bool OpenFilterSession();
  void CloseFilterSession();

  // The pass-through handlers: TCP data goes on unless the emergency stop is
  // engaged; UDP is never decided and always goes on.
  void OnTcpReceive(nf_endpoint_id id, const char* buffer, int length);
  void OnTcpSend(nf_endpoint_id id, const char* buffer, int length);
  void OnUdpReceive(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                    NfUdpOptions* options);
  void OnUdpSend(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                 NfUdpOptions* options);

  ConnectionPolicy& Policy() { return policy_; }
  // The table handed to the library, filled anew at each opening.
  const NfEventHandlers& Handlers() const { return handlers_; }

 private:
  void FillHandlerTable();

  DecisionTables& tables_;
  DriverPort& driver_;
  ConnectionPolicy& policy_;
  NfEventHandlers handlers_{};
};

}  // namespace tvn
