// The nfapi library: the firewall's side of the driver channel. Events from
// the driver are handed to a pool of worker threads that call the firewall's
// handlers, several at a time, as the driver's own library does.
#include "nfapi.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "nf_channel.h"

namespace nfapi {
namespace {

using std::chrono::milliseconds;

constexpr int kWorkerThreads = 4;
constexpr milliseconds kHelloTimeout{3000};
constexpr milliseconds kCallTimeout{10000};

class Session {
 public:
  Session(std::unique_ptr<Channel> channel, const NfEventHandlers& handlers)
      : channel_(std::move(channel)), handlers_(handlers) {}

  ~Session() { Stop(); }

  // Events are queued from the start; the handlers run only once the
  // driver has accepted the session.
  void StartReader() {
    channel_->Start([this](Message&& event) { Queue(std::move(event)); });
  }
  void StartWorkers() {
    for (int i = 0; i < kWorkerThreads; ++i) workers_.emplace_back([this] { WorkLoop(); });
  }

  // The channel first, so that handlers blocked in a call return; then the
  // workers, dropping events not yet handled.
  void Stop() {
    channel_->Close();
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      events_.clear();
    }
    ready_.notify_all();
    for (std::thread& worker : workers_)
      if (worker.joinable()) worker.join();
    workers_.clear();
  }

  // A call to the driver: the answer's status, and its result bytes.
  int Call(MessageType type, std::string payload, std::string* result = nullptr) {
    std::optional<Message> answer = channel_->Call(type, std::move(payload), kCallTimeout);
    if (!answer) return NF_STATUS_IO_ERROR;
    PayloadReader reader(answer->Payload);
    const int32_t status = reader.Get<int32_t>();
    if (!reader.Ok()) return NF_STATUS_FAIL;
    if (result) *result = std::string(reader.Rest());
    return status;
  }

 private:
  void Queue(Message&& event) {
    {
      std::lock_guard lock(mutex_);
      if (stopping_) return;
      events_.push_back(std::move(event));
    }
    ready_.notify_one();
  }

  void WorkLoop() {
    if (handlers_.threadStart) handlers_.threadStart();
    for (;;) {
      Message event;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return stopping_ || !events_.empty(); });
        if (stopping_) break;
        event = std::move(events_.front());
        events_.pop_front();
      }
      channel_->Answer(event, MessageType::EventDone, Dispatch(event));
    }
    if (handlers_.threadEnd) handlers_.threadEnd();
  }

  // Calls the handler of one event; returns what EventDone carries back.
  std::string Dispatch(const Message& event) {
    PayloadReader reader(event.Payload);
    const auto id = reader.Get<nf_endpoint_id>();
    switch (event.Type) {
      case MessageType::TcpConnectRequest:
      case MessageType::TcpConnected:
      case MessageType::TcpClosed: {
        auto connection = reader.Get<NfConnection>();
        if (!reader.Ok()) return {};
        auto handler = event.Type == MessageType::TcpConnectRequest ? handlers_.tcpConnectRequest
                       : event.Type == MessageType::TcpConnected    ? handlers_.tcpConnected
                                                                    : handlers_.tcpClosed;
        if (handler) handler(id, &connection);
        return PayloadWriter().Put(connection).Take();
      }
      case MessageType::TcpReceive:
      case MessageType::TcpSend: {
        const std::string_view data = reader.Rest();
        auto handler = event.Type == MessageType::TcpReceive ? handlers_.tcpReceive : handlers_.tcpSend;
        if (reader.Ok() && handler) handler(id, data.data(), static_cast<int>(data.size()));
        return {};
      }
      case MessageType::UdpReceive:
      case MessageType::UdpSend: {
        unsigned char address[NF_ADDRESS_SIZE];
        reader.Bytes(address, sizeof address);
        auto options = reader.Get<NfUdpOptions>();
        const std::string_view data = reader.Rest();
        auto handler = event.Type == MessageType::UdpReceive ? handlers_.udpReceive : handlers_.udpSend;
        if (reader.Ok() && handler) handler(id, address, data.data(), static_cast<int>(data.size()), &options);
        return {};
      }
      default:
        return {};
    }
  }

  std::unique_ptr<Channel> channel_;
  NfEventHandlers handlers_;
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Message> events_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

std::mutex sessionMutex;
std::shared_ptr<Session> openSession;

std::shared_ptr<Session> CurrentSession() {
  std::lock_guard lock(sessionMutex);
  return openSession;
}

int CallDriver(MessageType type, std::string payload, std::string* result = nullptr) {
  std::shared_ptr<Session> session = CurrentSession();
  if (!session) return NF_STATUS_NOT_INITIALIZED;
  return session->Call(type, std::move(payload), result);
}

}  // namespace
}  // namespace nfapi

using namespace nfapi;

extern "C" {

int NFAPI_CC nf_init(const char* driverName, NfEventHandlers* handlers) {
  if (driverName == nullptr || handlers == nullptr || !StartSockets()) return NF_STATUS_FAIL;
  std::lock_guard lock(sessionMutex);
  if (openSession) return NF_STATUS_FAIL;
  const std::optional<uint16_t> port = ReadPublishedPort(driverName);
  if (!port) return NF_STATUS_FAIL;
  const SocketHandle socket = ConnectToLoopback(*port);
  if (socket == kNoSocket) return NF_STATUS_FAIL;
  auto channel = std::make_unique<Channel>(socket);
  Channel* raw = channel.get();
  auto session = std::make_shared<Session>(std::move(channel), *handlers);
  session->StartReader();
  std::optional<Message> answer = raw->Call(MessageType::Hello, driverName, kHelloTimeout);
  PayloadReader reader(answer ? std::string_view(answer->Payload) : std::string_view());
  if (!answer || reader.Get<int32_t>() != NF_STATUS_SUCCESS || !reader.Ok()) {
    session->Stop();
    return NF_STATUS_FAIL;
  }
  session->StartWorkers();
  openSession = std::move(session);
  return NF_STATUS_SUCCESS;
}

void NFAPI_CC nf_free(void) {
  std::shared_ptr<Session> session;
  {
    std::lock_guard lock(sessionMutex);
    session = std::move(openSession);
  }
  if (session) session->Stop();
}

int NFAPI_CC nf_addRule(NfRule* rule, int toHead) {
  if (rule == nullptr) return NF_STATUS_FAIL;
  return CallDriver(MessageType::AddRule, PayloadWriter().Put(*rule).Put(static_cast<uint8_t>(toHead != 0)).Take());
}

int NFAPI_CC nf_deleteRules(void) { return CallDriver(MessageType::DeleteRules, {}); }

int NFAPI_CC nf_tcpSetConnectionState(nf_endpoint_id id, int suspended) {
  return CallDriver(MessageType::SetState, PayloadWriter().Put(id).Put(static_cast<uint8_t>(suspended != 0)).Take());
}

int NFAPI_CC nf_tcpClose(nf_endpoint_id id) {
  return CallDriver(MessageType::TcpClose, PayloadWriter().Put(id).Take());
}

static int PostTcp(MessageType type, nf_endpoint_id id, const char* buffer, int length) {
  if (length < 0 || (length > 0 && buffer == nullptr)) return NF_STATUS_FAIL;
  return CallDriver(type, PayloadWriter().Put(id).Bytes(buffer, static_cast<std::size_t>(length)).Take());
}

int NFAPI_CC nf_tcpPostReceive(nf_endpoint_id id, const char* buffer, int length) {
  return PostTcp(MessageType::TcpPostReceive, id, buffer, length);
}

int NFAPI_CC nf_tcpPostSend(nf_endpoint_id id, const char* buffer, int length) {
  return PostTcp(MessageType::TcpPostSend, id, buffer, length);
}

static int PostUdp(MessageType type, nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer,
                   int length, NfUdpOptions* options) {
  if (remoteAddress == nullptr || length < 0 || (length > 0 && buffer == nullptr)) return NF_STATUS_FAIL;
  const NfUdpOptions sent = options ? *options : NfUdpOptions{};
  return CallDriver(type, PayloadWriter()
                              .Put(id)
                              .Bytes(remoteAddress, NF_ADDRESS_SIZE)
                              .Put(sent)
                              .Bytes(buffer, static_cast<std::size_t>(length))
                              .Take());
}

int NFAPI_CC nf_udpPostReceive(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                               NfUdpOptions* options) {
  return PostUdp(MessageType::UdpPostReceive, id, remoteAddress, buffer, length, options);
}

int NFAPI_CC nf_udpPostSend(nf_endpoint_id id, const unsigned char* remoteAddress, const char* buffer, int length,
                            NfUdpOptions* options) {
  return PostUdp(MessageType::UdpPostSend, id, remoteAddress, buffer, length, options);
}

int NFAPI_CC nf_getProcessNameA(uint32_t processId, char* buffer, uint32_t length) {
  if (buffer == nullptr || length == 0) return 0;
  std::string path;
  if (CallDriver(MessageType::ProcessName, PayloadWriter().Put(processId).Take(), &path) != NF_STATUS_SUCCESS) return 0;
  // The path and its terminating zero must fit.
  if (path.size() + 1 > length) return 0;
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return 1;
}

int NFAPI_CC nf_addFlowCtl(NfFlowLimits* limits, nf_flowctl_handle* handle) {
  if (limits == nullptr || handle == nullptr) return NF_STATUS_FAIL;
  std::string result;
  const int status = CallDriver(MessageType::AddFlowCtl, PayloadWriter().Put(*limits).Take(), &result);
  PayloadReader reader(result);
  const auto created = reader.Get<nf_flowctl_handle>();
  if (status != NF_STATUS_SUCCESS || !reader.Ok()) return status != NF_STATUS_SUCCESS ? status : NF_STATUS_FAIL;
  *handle = created;
  return NF_STATUS_SUCCESS;
}

int NFAPI_CC nf_setTCPFlowCtl(nf_endpoint_id id, nf_flowctl_handle handle) {
  return CallDriver(MessageType::SetTcpFlowCtl, PayloadWriter().Put(id).Put(handle).Take());
}

int NFAPI_CC nf_getFlowCtlStat(nf_flowctl_handle handle, NfFlowStat* stat) {
  if (stat == nullptr) return NF_STATUS_FAIL;
  std::string result;
  const int status = CallDriver(MessageType::FlowCtlStat, PayloadWriter().Put(handle).Take(), &result);
  PayloadReader reader(result);
  const auto totals = reader.Get<NfFlowStat>();
  if (status != NF_STATUS_SUCCESS || !reader.Ok()) return status != NF_STATUS_SUCCESS ? status : NF_STATUS_FAIL;
  *stat = totals;
  return NF_STATUS_SUCCESS;
}

}  // extern "C"
