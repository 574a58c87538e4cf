// A driver that records what the engine asks of it, for tests.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/driver_port.h"

namespace tvn::testing {

struct RecordedRule {
  NfRule rule;
  bool atHead;
};

// One call the engine made, as "suspend 7", "close 7", "flowctl 7 1" ...
using CallLog = std::vector<std::string>;

class FakeDriver : public DriverPort {
 public:
  int Init(const char*, NfEventHandlers* handlers) override {
    Record("init");
    if (initStatus == 0) {
      std::lock_guard lock(mutex_);
      initHandlers = *handlers;
    }
    return initStatus;
  }
  int Free() override {
    Record("free");
    return 0;
  }
  int AddRule(const NfRule& rule, bool atHead) override {
    Record("rule " + std::to_string(rule.filteringFlag));
    std::lock_guard lock(mutex_);
    rules.push_back({rule, atHead});
    return 0;
  }
  int DeleteRules() override {
    Record("delete-rules");
    std::lock_guard lock(mutex_);
    rules.clear();
    return 0;
  }
  int TcpSetConnectionState(nf_endpoint_id id, bool suspended) override {
    Record((suspended ? "suspend " : "resume ") + std::to_string(id));
    return 0;
  }
  int TcpClose(nf_endpoint_id id) override {
    Record("close " + std::to_string(id));
    return 0;
  }
  int TcpPostReceive(nf_endpoint_id id, const char*, int length) override {
    Record("post-recv " + std::to_string(id) + " " + std::to_string(length));
    return 0;
  }
  int TcpPostSend(nf_endpoint_id id, const char*, int length) override {
    Record("post-send " + std::to_string(id) + " " + std::to_string(length));
    return 0;
  }
  int UdpPostReceive(nf_endpoint_id id, const unsigned char*, const char*, int length, NfUdpOptions*) override {
    Record("udp-recv " + std::to_string(id) + " " + std::to_string(length));
    return 0;
  }
  int UdpPostSend(nf_endpoint_id id, const unsigned char*, const char*, int length, NfUdpOptions*) override {
    Record("udp-send " + std::to_string(id) + " " + std::to_string(length));
    return 0;
  }
  std::optional<std::string> GetProcessName(uint32_t processId) override {
    std::lock_guard lock(mutex_);
    auto found = processNames.find(processId);
    if (found == processNames.end()) return std::nullopt;
    return found->second;
  }
  int AddFlowCtl(const NfFlowLimits&, nf_flowctl_handle* handle) override {
    std::lock_guard lock(mutex_);
    *handle = ++lastFlowHandle;
    return 0;
  }
  int SetTcpFlowCtl(nf_endpoint_id id, nf_flowctl_handle handle) override {
    Record("flowctl " + std::to_string(id) + " " + std::to_string(handle));
    return 0;
  }
  int GetFlowCtlStat(nf_flowctl_handle, NfFlowStat* stat) override {
    std::lock_guard lock(mutex_);
    *stat = flowStat;
    return flowStatStatus;
  }

  // The calls recorded since the last TakeCalls, oldest first.
  CallLog TakeCalls() {
    std::lock_guard lock(mutex_);
    return std::exchange(calls_, {});
  }

  int initStatus = 0;
  int flowStatStatus = 0;
  NfFlowStat flowStat{};
  nf_flowctl_handle lastFlowHandle = 0;
  NfEventHandlers initHandlers{};
  std::vector<RecordedRule> rules;
  std::map<uint32_t, std::string> processNames;

 private:
  void Record(std::string call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
  }

  std::mutex mutex_;
  CallLog calls_;
};

}  // namespace tvn::testing
