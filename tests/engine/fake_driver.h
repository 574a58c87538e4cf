// A driver that records what the engine asks of it, for tests.
#pragma once

#include <map>
#include <mutex>
#include <vector>

#include "engine/driver_port.h"

namespace tvn::testing {

struct RecordedRule {
  NfRule rule;
  bool atHead;
};

class FakeDriver : public DriverPort {
 public:
  int Init(const char*, NfEventHandlers*) override { return initStatus; }
  int Free() override { return 0; }
  int AddRule(const NfRule& rule, bool atHead) override {
    std::lock_guard lock(mutex_);
    rules.push_back({rule, atHead});
    return 0;
  }
  int DeleteRules() override {
    std::lock_guard lock(mutex_);
    rules.clear();
    return 0;
  }
  int TcpSetConnectionState(nf_endpoint_id, bool) override { return 0; }
  int TcpClose(nf_endpoint_id) override { return 0; }
  int TcpPostReceive(nf_endpoint_id, const char*, int) override { return 0; }
  int TcpPostSend(nf_endpoint_id, const char*, int) override { return 0; }
  int UdpPostReceive(nf_endpoint_id, const unsigned char*, const char*, int, NfUdpOptions*) override { return 0; }
  int UdpPostSend(nf_endpoint_id, const unsigned char*, const char*, int, NfUdpOptions*) override { return 0; }
  std::optional<std::string> GetProcessName(uint32_t processId) override {
    std::lock_guard lock(mutex_);
    auto found = processNames.find(processId);
    if (found == processNames.end()) return std::nullopt;
    return found->second;
  }
  int AddFlowCtl(const NfFlowLimits&, nf_flowctl_handle* handle) override {
    *handle = 1;
    return 0;
  }
  int SetTcpFlowCtl(nf_endpoint_id, nf_flowctl_handle) override { return 0; }
  int GetFlowCtlStat(nf_flowctl_handle, NfFlowStat* stat) override {
    *stat = {};
    return 0;
  }

  int initStatus = 0;
  std::vector<RecordedRule> rules;
  std::map<uint32_t, std::string> processNames;

 private:
  std::mutex mutex_;
};

}  // namespace tvn::testing
