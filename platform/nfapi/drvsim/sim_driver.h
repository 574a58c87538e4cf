// The simulated driver: simulated processes and TCP connections, the rule
// list, held data of suspended connections and byte-counting contexts. It
// answers the library's calls on the channel's reader thread and raises
// events for the scenario player, waiting for each handler to return.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "nf_channel.h"
#include "scenario.h"

namespace drvsim {

// The first rule of the list, from its head, that matches decides; a zero
// field matches every value.
struct Traffic {
  int32_t Protocol;
  uint32_t ProcessId;
  uint8_t Direction;
  const uint8_t* Local;
  const uint8_t* Remote;
};
bool RuleMatches(const NfRule& rule, const Traffic& traffic);

class SimDriver {
 public:
  using Clock = std::chrono::steady_clock;

  explicit SimDriver(std::string name) : name_(std::move(name)) {}

  // A library connected: its requests arrive here until it goes away.
  void Serve(std::shared_ptr<nfapi::Channel> channel);
  bool WaitForSession(std::chrono::milliseconds timeout);
  // Until the firewall has put its first rule in the list, or the timeout.
  void WaitForFirstRule(std::chrono::milliseconds timeout);

  void DeclareProcess(const ProcessStep& step);
  void Connect(const ConnectStep& step);
  void Data(const DataStep& step);
  void Udp(const UdpStep& step);

  // The state reached within the time, or the last state seen ("none" when
  // the connection was never raised).
  std::string WaitForState(uint64_t id, ConnectionState state, std::chrono::milliseconds within);
  // The total of the last counting context once it equals `bytes`, or the
  // last value seen after `within`.
  uint64_t WaitForBytes(bool inbound, uint64_t bytes, std::chrono::milliseconds within);

 private:
  struct Connection {
    ConnectStep Facts;
    bool Requesting = true;
    bool Reported = false;
    bool Open = false;
    bool Blocked = false;
    bool Closed = false;
    bool CloseRequested = false;
    bool Suspended = false;
    nf_flowctl_handle FlowHandle = 0;
    std::vector<DataStep> HeldData;
  };

  // What a library call answers, and the events that follow it.
  struct CallOutcome {
    int32_t Status = NF_STATUS_SUCCESS;
    std::string Result;              // after the status in the answer
    std::vector<DataStep> Released;  // held data handed to the handlers
    std::optional<uint64_t> Closed;  // a connection closed by the call
  };

  void OnRequest(const std::shared_ptr<nfapi::Channel>& channel, nfapi::Message&& request);
  // The library's calls, each with the lock held.
  int32_t HandleCall(nfapi::MessageType type, nfapi::PayloadReader& reader, CallOutcome& outcome);
  int32_t AddRule(nfapi::PayloadReader& reader);
  int32_t SetState(nfapi::PayloadReader& reader, CallOutcome& outcome);
  int32_t CloseConnection(nfapi::PayloadReader& reader, CallOutcome& outcome);
  int32_t PostTcp(nfapi::PayloadReader& reader, bool inbound);
  int32_t PostUdp(nfapi::PayloadReader& reader);
  int32_t ProcessName(nfapi::PayloadReader& reader, CallOutcome& outcome);
  int32_t AddFlowContext(nfapi::PayloadReader& reader, CallOutcome& outcome);
  int32_t AttachFlowContext(nfapi::PayloadReader& reader);
  int32_t FlowTotals(nfapi::PayloadReader& reader, CallOutcome& outcome);
  void CountPosted(uint64_t id, bool inbound, std::size_t bytes);
  std::optional<nfapi::Message> Raise(nfapi::MessageType type, const std::string& payload);
  void Deliver(const DataStep& step);
  std::string ConnectionPayload(uint64_t id);
  static std::optional<ConnectionState> StateOf(const Connection& connection);
  Connection* Find(uint64_t id);

  const std::string name_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::shared_ptr<nfapi::Channel> session_;
  std::deque<NfRule> rules_;  // front: head of the list
  std::map<uint32_t, std::string> processes_;
  std::map<uint64_t, Connection> connections_;
  std::map<nf_flowctl_handle, NfFlowStat> flowContexts_;
  nf_flowctl_handle lastFlowContext_ = 0;
  std::map<uint64_t, uint64_t> udpPassed_;
  uint64_t nextUdpId_ = 1ull << 32;
};

}  // namespace drvsim
