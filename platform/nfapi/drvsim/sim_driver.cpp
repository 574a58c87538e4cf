#include "sim_driver.h"

#include <cstdio>
#include <cstring>

namespace drvsim {

using nfapi::Message;
using nfapi::MessageType;
using nfapi::PayloadReader;
using nfapi::PayloadWriter;
using std::chrono::milliseconds;

namespace {

// A handler may wait for a cloud query (two attempts of up to 20 s each).
constexpr milliseconds kHandlerTimeout{60000};

uint16_t Family(const uint8_t* address) { return static_cast<uint16_t>(address[0] | address[1] << 8); }
const uint8_t* PortBytes(const uint8_t* address) { return address + 2; }
const uint8_t* AddressBytes(const uint8_t* address) { return address + (Family(address) == 23 ? 8 : 4); }
std::size_t AddressLength(const uint8_t* address) { return Family(address) == 23 ? 16 : 4; }

bool PortMatches(uint16_t rulePort, const uint8_t* address) {
  return rulePort == 0 || std::memcmp(&rulePort, PortBytes(address), 2) == 0;
}

bool AddressMatches(const uint8_t* ruleAddress, const uint8_t* mask, const uint8_t* address) {
  const std::size_t length = AddressLength(address);
  for (std::size_t i = 0; i < length; ++i)
    if ((ruleAddress[i] & mask[i]) != (AddressBytes(address)[i] & mask[i])) return false;
  return true;
}

void Note(const std::string& text) { std::fprintf(stderr, "drvsim: %s\n", text.c_str()); }

}  // namespace

bool RuleMatches(const NfRule& rule, const Traffic& traffic) {
  if (rule.protocol != 0 && rule.protocol != traffic.Protocol) return false;
  if (rule.processId != 0 && rule.processId != traffic.ProcessId) return false;
  if (rule.direction != 0 && (rule.direction & traffic.Direction) == 0) return false;
  if (rule.ipFamily != 0 && rule.ipFamily != Family(traffic.Remote)) return false;
  if (!PortMatches(rule.localPort, traffic.Local) || !PortMatches(rule.remotePort, traffic.Remote)) return false;
  return AddressMatches(rule.remoteAddress, rule.remoteAddressMask, traffic.Remote) &&
         AddressMatches(rule.localAddress, rule.localAddressMask, traffic.Local);
}

void SimDriver::Serve(std::shared_ptr<nfapi::Channel> channel) {
  std::weak_ptr<nfapi::Channel> weak = channel;
  channel->Start([this, weak](Message&& request) { OnRequest(weak.lock(), std::move(request)); },
                 [this, weak] {
                   // The session ended: a driver without a client filters nothing.
                   std::lock_guard lock(mutex_);
                   if (session_ == weak.lock()) {
                     session_.reset();
                     rules_.clear();
                   }
                   changed_.notify_all();
                 });
}

bool SimDriver::WaitForSession(milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return session_ != nullptr; });
}

void SimDriver::WaitForFirstRule(milliseconds timeout) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, timeout, [this] { return !rules_.empty(); });
}

void SimDriver::OnRequest(const std::shared_ptr<nfapi::Channel>& channel, Message&& request) {
  if (!channel) return;
  if (request.Type == MessageType::Hello) {
    const bool ours = request.Payload == name_;
    if (ours) {
      std::lock_guard lock(mutex_);
      session_ = channel;
      changed_.notify_all();
    }
    channel->Answer(request, MessageType::Answer, PayloadWriter().Put<int32_t>(ours ? 0 : NF_STATUS_FAIL).Take());
    return;
  }
  CallOutcome outcome;
  {
    PayloadReader reader(request.Payload);
    std::lock_guard lock(mutex_);
    outcome.Status = HandleCall(request.Type, reader, outcome);
    changed_.notify_all();
  }
  channel->Answer(request, MessageType::Answer, PayloadWriter().Put(outcome.Status).Text(outcome.Result).Take());
  // Events that follow a call go out after its answer; nobody waits for them
  // here, as the reader thread must stay free to answer the handlers' calls.
  for (const DataStep& data : outcome.Released)
    channel->Notify(data.Inbound ? MessageType::TcpReceive : MessageType::TcpSend,
                    PayloadWriter().Put(data.Id).Text(std::string(data.Bytes, 'x')).Take());
  if (outcome.Closed) channel->Notify(MessageType::TcpClosed, ConnectionPayload(*outcome.Closed));
}

int32_t SimDriver::HandleCall(MessageType type, PayloadReader& reader, CallOutcome& outcome) {
  switch (type) {
    case MessageType::AddRule:
      return AddRule(reader);
    case MessageType::DeleteRules:
      rules_.clear();
      return NF_STATUS_SUCCESS;
    case MessageType::SetState:
      return SetState(reader, outcome);
    case MessageType::TcpClose:
      return CloseConnection(reader, outcome);
    case MessageType::TcpPostReceive:
    case MessageType::TcpPostSend:
      return PostTcp(reader, type == MessageType::TcpPostReceive);
    case MessageType::UdpPostReceive:
    case MessageType::UdpPostSend:
      return PostUdp(reader);
    case MessageType::ProcessName:
      return ProcessName(reader, outcome);
    case MessageType::AddFlowCtl:
      return AddFlowContext(reader, outcome);
    case MessageType::SetTcpFlowCtl:
      return AttachFlowContext(reader);
    case MessageType::FlowCtlStat:
      return FlowTotals(reader, outcome);
    default:
      return NF_STATUS_FAIL;
  }
}

int32_t SimDriver::AddRule(PayloadReader& reader) {
  const auto rule = reader.Get<NfRule>();
  const bool atHead = reader.Get<uint8_t>() != 0;
  if (!reader.Ok()) return NF_STATUS_FAIL;
  atHead ? rules_.push_front(rule) : rules_.push_back(rule);
  return NF_STATUS_SUCCESS;
}

SimDriver::Connection* SimDriver::Find(uint64_t id) {
  auto found = connections_.find(id);
  return found == connections_.end() ? nullptr : &found->second;
}

int32_t SimDriver::SetState(PayloadReader& reader, CallOutcome& outcome) {
  const auto id = reader.Get<uint64_t>();
  const bool suspended = reader.Get<uint8_t>() != 0;
  Connection* connection = Find(id);
  if (!reader.Ok() || connection == nullptr) return NF_STATUS_INVALID_ENDPOINT_ID;
  connection->Suspended = suspended;
  if (suspended || !connection->Open) return NF_STATUS_SUCCESS;
  // Released data goes to the handlers when they were watching the
  // connection, else straight on.
  if (connection->Reported) {
    outcome.Released = std::move(connection->HeldData);
  } else {
    for (const DataStep& data : connection->HeldData) CountPosted(id, data.Inbound, data.Bytes);
  }
  connection->HeldData.clear();
  return NF_STATUS_SUCCESS;
}

int32_t SimDriver::CloseConnection(PayloadReader& reader, CallOutcome& outcome) {
  const auto id = reader.Get<uint64_t>();
  Connection* connection = Find(id);
  if (!reader.Ok() || connection == nullptr) return NF_STATUS_INVALID_ENDPOINT_ID;
  if (connection->Requesting) connection->CloseRequested = true;
  if (connection->Open) {
    connection->Open = false;
    connection->Closed = true;
    connection->HeldData.clear();
    outcome.Closed = id;
  }
  return NF_STATUS_SUCCESS;
}

int32_t SimDriver::PostTcp(PayloadReader& reader, bool inbound) {
  const auto id = reader.Get<uint64_t>();
  const std::size_t bytes = reader.Rest().size();
  if (!reader.Ok() || Find(id) == nullptr) return NF_STATUS_INVALID_ENDPOINT_ID;
  CountPosted(id, inbound, bytes);
  return NF_STATUS_SUCCESS;
}

int32_t SimDriver::PostUdp(PayloadReader& reader) {
  const auto id = reader.Get<uint64_t>();
  uint8_t address[NF_ADDRESS_SIZE];
  reader.Bytes(address, sizeof address);
  reader.Get<NfUdpOptions>();
  const std::size_t bytes = reader.Rest().size();
  if (!reader.Ok()) return NF_STATUS_FAIL;
  udpPassed_[id] += bytes;
  return NF_STATUS_SUCCESS;
}

int32_t SimDriver::ProcessName(PayloadReader& reader, CallOutcome& outcome) {
  const auto processId = reader.Get<uint32_t>();
  auto found = processes_.find(processId);
  if (!reader.Ok() || found == processes_.end()) return NF_STATUS_FAIL;
  outcome.Result = found->second;
  return NF_STATUS_SUCCESS;
}

int32_t SimDriver::AddFlowContext(PayloadReader& reader, CallOutcome& outcome) {
  reader.Get<NfFlowLimits>();  // the simulation counts without limiting
  if (!reader.Ok()) return NF_STATUS_FAIL;
  const nf_flowctl_handle handle = ++lastFlowContext_;
  flowContexts_[handle] = {};
  outcome.Result = PayloadWriter().Put(handle).Take();
  return NF_STATUS_SUCCESS;
}

int32_t SimDriver::AttachFlowContext(PayloadReader& reader) {
  const auto id = reader.Get<uint64_t>();
  const auto handle = reader.Get<nf_flowctl_handle>();
  Connection* connection = Find(id);
  if (!reader.Ok() || connection == nullptr) return NF_STATUS_INVALID_ENDPOINT_ID;
  if (flowContexts_.count(handle) == 0) return NF_STATUS_FAIL;
  connection->FlowHandle = handle;
  return NF_STATUS_SUCCESS;
}

int32_t SimDriver::FlowTotals(PayloadReader& reader, CallOutcome& outcome) {
  const auto handle = reader.Get<nf_flowctl_handle>();
  auto found = flowContexts_.find(handle);
  if (!reader.Ok() || found == flowContexts_.end()) return NF_STATUS_FAIL;
  outcome.Result = PayloadWriter().Put(found->second).Take();
  return NF_STATUS_SUCCESS;
}

// Called with the lock held.
void SimDriver::CountPosted(uint64_t id, bool inbound, std::size_t bytes) {
  auto found = connections_.find(id);
  if (found == connections_.end() || found->second.FlowHandle == 0) return;
  NfFlowStat& totals = flowContexts_[found->second.FlowHandle];
  (inbound ? totals.inBytes : totals.outBytes) += bytes;
}

std::optional<Message> SimDriver::Raise(MessageType type, const std::string& payload) {
  std::shared_ptr<nfapi::Channel> session;
  {
    std::lock_guard lock(mutex_);
    session = session_;
  }
  if (!session) return std::nullopt;
  return session->Call(type, payload, kHandlerTimeout);
}

std::string SimDriver::ConnectionPayload(uint64_t id) {
  const ConnectStep& facts = connections_.at(id).Facts;
  NfConnection record{};
  record.filteringFlag = NF_FILTER;
  record.processId = facts.ProcessId;
  record.direction = facts.Direction;
  record.ipFamily = Family(facts.Remote.Bytes);
  std::memcpy(record.localAddress, facts.Local.Bytes, NF_ADDRESS_SIZE);
  std::memcpy(record.remoteAddress, facts.Remote.Bytes, NF_ADDRESS_SIZE);
  return PayloadWriter().Put(id).Put(record).Take();
}

void SimDriver::DeclareProcess(const ProcessStep& step) {
  std::lock_guard lock(mutex_);
  processes_[step.ProcessId] = step.Path;
}

void SimDriver::Connect(const ConnectStep& step) {
  std::string payload;
  {
    std::lock_guard lock(mutex_);
    Connection& connection = connections_[step.Id] = Connection{};
    connection.Facts = step;
    const Traffic traffic{NF_PROTOCOL_TCP, step.ProcessId, step.Direction, step.Local.Bytes, step.Remote.Bytes};
    const NfRule* decisive = nullptr;
    for (const NfRule& rule : rules_)
      if (RuleMatches(rule, traffic)) {
        decisive = &rule;
        break;
      }
    connection.Reported = decisive && decisive->filteringFlag == NF_FILTER && session_;
    if (decisive && decisive->filteringFlag == NF_BLOCK) {
      connection.Requesting = false;
      connection.Blocked = true;
      changed_.notify_all();
      Note("connection " + std::to_string(step.Id) + " refused by a block rule");
      return;
    }
    if (!connection.Reported) {
      connection.Requesting = false;
      connection.Open = true;
      changed_.notify_all();
      return;
    }
    payload = ConnectionPayload(step.Id);
  }
  const std::optional<Message> answer = Raise(MessageType::TcpConnectRequest, payload);
  NfConnection record{};
  if (answer) PayloadReader(answer->Payload).Bytes(&record, sizeof record);
  bool established;
  {
    std::lock_guard lock(mutex_);
    Connection& connection = connections_[step.Id];
    connection.Requesting = false;
    connection.Blocked = record.filteringFlag == NF_BLOCK;
    connection.Closed = !connection.Blocked && connection.CloseRequested;
    connection.Open = established = !connection.Blocked && !connection.Closed;
    if (!answer) Note("connection " + std::to_string(step.Id) + ": no answer from the handler");
    changed_.notify_all();
  }
  if (established) Raise(MessageType::TcpConnected, payload);
}

void SimDriver::Data(const DataStep& step) {
  {
    std::lock_guard lock(mutex_);
    auto found = connections_.find(step.Id);
    if (found == connections_.end() || !found->second.Open) {
      Note("data on connection " + std::to_string(step.Id) + ", which is not open: dropped");
      return;
    }
    Connection& connection = found->second;
    if (connection.Suspended) {
      connection.HeldData.push_back(step);
      return;
    }
    if (!connection.Reported) {
      CountPosted(step.Id, step.Inbound, step.Bytes);
      changed_.notify_all();
      return;
    }
  }
  Deliver(step);
}

void SimDriver::Deliver(const DataStep& step) {
  Raise(step.Inbound ? MessageType::TcpReceive : MessageType::TcpSend,
        PayloadWriter().Put(step.Id).Text(std::string(step.Bytes, 'x')).Take());
}

void SimDriver::Udp(const UdpStep& step) {
  uint64_t id;
  {
    std::lock_guard lock(mutex_);
    id = nextUdpId_++;
    SocketAddress local;
    ParseSocketAddress("0.0.0.0:0", &local);
    const Traffic traffic{NF_PROTOCOL_UDP, step.ProcessId, NF_DIRECTION_OUT, local.Bytes, step.Remote.Bytes};
    for (const NfRule& rule : rules_) {
      if (!RuleMatches(rule, traffic)) continue;
      if (rule.filteringFlag == NF_BLOCK) {
        Note("datagram of process " + std::to_string(step.ProcessId) + " refused by a block rule");
        return;
      }
      if (rule.filteringFlag == NF_ALLOW) return;
      break;
    }
  }
  // Datagrams that no allow or block rule stops go through the UDP handlers.
  Raise(MessageType::UdpSend, PayloadWriter()
                                  .Put(id)
                                  .Bytes(step.Remote.Bytes, NF_ADDRESS_SIZE)
                                  .Put(NfUdpOptions{})
                                  .Text(std::string(step.Bytes, 'u'))
                                  .Take());
  std::lock_guard lock(mutex_);
  Note("datagram of process " + std::to_string(step.ProcessId) + ": " +
       (udpPassed_[id] == step.Bytes ? "passed on by the handlers" : "not passed on"));
}

std::optional<ConnectionState> SimDriver::StateOf(const Connection& connection) {
  if (connection.Blocked) return ConnectionState::Blocked;
  if (connection.Closed) return ConnectionState::Closed;
  if (connection.Open) return connection.Suspended ? ConnectionState::Held : ConnectionState::Allowed;
  return std::nullopt;
}

std::string SimDriver::WaitForState(uint64_t id, ConnectionState state, milliseconds within) {
  std::unique_lock lock(mutex_);
  auto current = [&]() -> std::optional<ConnectionState> {
    auto found = connections_.find(id);
    return found == connections_.end() ? std::nullopt : StateOf(found->second);
  };
  changed_.wait_for(lock, within, [&] { return current() == state; });
  const auto reached = current();
  if (reached) return StateName(*reached);
  return connections_.count(id) ? "requesting" : "none";
}

uint64_t SimDriver::WaitForBytes(bool inbound, uint64_t bytes, milliseconds within) {
  std::unique_lock lock(mutex_);
  auto total = [&]() -> uint64_t {
    auto found = flowContexts_.find(lastFlowContext_);
    if (found == flowContexts_.end()) return 0;
    return inbound ? found->second.inBytes : found->second.outBytes;
  };
  changed_.wait_for(lock, within, [&] { return total() == bytes; });
  return total();
}

}  // namespace drvsim
