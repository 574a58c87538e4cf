#include "nf_channel.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#ifdef _WIN32
#include <windows.h>
#endif

namespace nfapi {

Channel::Channel(SocketHandle socket) : readSocket_(socket), socket_(socket) {}

Channel::~Channel() { Close(); }

void Channel::Start(RequestHandler onRequest, std::function<void()> onClosed) {
  reader_ = std::thread(
      [this, onRequest = std::move(onRequest), onClosed = std::move(onClosed)] { ReadLoop(onRequest, onClosed); });
}

bool Channel::Send(MessageType type, uint32_t sequence, const std::string& payload) {
  PayloadWriter frame;
  frame.Put(static_cast<uint32_t>(sizeof(uint16_t) + sizeof(uint32_t) + payload.size()))
      .Put(static_cast<uint16_t>(type))
      .Put(sequence)
      .Text(payload);
  const std::string bytes = frame.Take();
  std::lock_guard lock(sendMutex_);
  return SendAll(socket_, bytes.data(), bytes.size());
}

bool Channel::Receive(Message& message) {
  uint32_t length = 0;
  if (!ReceiveAll(readSocket_, &length, sizeof length)) return false;
  if (length < 6 || length > kMaxFrame) return false;
  uint16_t type = 0;
  if (!ReceiveAll(readSocket_, &type, sizeof type) ||
      !ReceiveAll(readSocket_, &message.Sequence, sizeof message.Sequence))
    return false;
  message.Type = static_cast<MessageType>(type);
  message.Payload.resize(length - 6);
  return message.Payload.empty() || ReceiveAll(readSocket_, message.Payload.data(), message.Payload.size());
}

void Channel::ReadLoop(RequestHandler onRequest, std::function<void()> onClosed) {
  Message message;
  while (Receive(message)) {
    if (!IsReply(message.Type)) {
      onRequest(std::move(message));
      message = {};
      continue;
    }
    std::lock_guard lock(mutex_);
    auto waiter = waiting_.find(message.Sequence);
    if (waiter != waiting_.end()) waiter->second = std::move(message);
    answered_.notify_all();
    message = {};
  }
  {
    std::lock_guard lock(mutex_);
    open_ = false;
  }
  answered_.notify_all();
  if (onClosed) onClosed();
}

std::optional<Message> Channel::Call(MessageType type, std::string payload, std::chrono::milliseconds timeout) {
  uint32_t sequence;
  {
    std::lock_guard lock(mutex_);
    if (!open_) return std::nullopt;
    sequence = nextSequence_++;
    waiting_[sequence];
  }
  std::optional<Message> answer;
  if (Send(type, sequence, payload)) {
    std::unique_lock lock(mutex_);
    answered_.wait_for(lock, timeout, [&] { return !open_ || waiting_[sequence].has_value(); });
    answer = std::move(waiting_[sequence]);
    waiting_.erase(sequence);
  } else {
    std::lock_guard lock(mutex_);
    waiting_.erase(sequence);
  }
  return answer;
}

bool Channel::Notify(MessageType type, std::string payload) {
  uint32_t sequence;
  {
    std::lock_guard lock(mutex_);
    if (!open_) return false;
    sequence = nextSequence_++;
  }
  return Send(type, sequence, payload);
}

bool Channel::Answer(const Message& request, MessageType type, std::string payload) {
  return Send(type, request.Sequence, payload);
}

void Channel::Close() {
  {
    std::lock_guard lock(mutex_);
    open_ = false;
  }
  answered_.notify_all();
  {
    std::lock_guard lock(sendMutex_);
    ShutdownSocket(socket_);
  }
#ifdef _WIN32
  // Winsock (and Wine) end a receive blocked on another thread only when the
  // socket is closed; a shutdown is not enough.
  {
    std::lock_guard lock(sendMutex_);
    CloseSocket(socket_);
    socket_ = kNoSocket;
  }
#endif
  if (reader_.joinable() && reader_.get_id() != std::this_thread::get_id()) reader_.join();
  if (reader_.joinable()) reader_.detach();
  std::lock_guard lock(sendMutex_);
  CloseSocket(socket_);
  socket_ = kNoSocket;
}

bool Channel::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

namespace {

std::string ChannelFolder() {
#ifdef _WIN32
  char value[1024];
  DWORD length = GetEnvironmentVariableA("TVN_NFAPI_DIR", value, sizeof value);
  if (length > 0 && length < sizeof value) return value;
  length = GetTempPathA(sizeof value, value);
  if (length > 0 && length < sizeof value) return value;
  return ".";
#else
  if (const char* value = std::getenv("TVN_NFAPI_DIR"); value && *value) return value;
  if (const char* value = std::getenv("TMPDIR"); value && *value) return value;
  return "/tmp";
#endif
}

}  // namespace

std::string RendezvousPath(std::string_view driverName) {
  std::string folder = ChannelFolder();
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += '/';
  return folder + std::string(driverName) + ".nfdriver";
}

bool PublishPort(std::string_view driverName, uint16_t port) {
  // Written aside and renamed, so a reader never sees half a number.
  const std::string path = RendezvousPath(driverName);
  const std::string partial = path + ".part";
  {
    std::ofstream file(partial, std::ios::trunc);
    file << port << "\n";
    if (!file.flush()) return false;
  }
  std::remove(path.c_str());
  return std::rename(partial.c_str(), path.c_str()) == 0;
}

std::optional<uint16_t> ReadPublishedPort(std::string_view driverName) {
  std::ifstream file(RendezvousPath(driverName));
  unsigned port = 0;
  if (!(file >> port) || port == 0 || port > 65535) return std::nullopt;
  return static_cast<uint16_t>(port);
}

void WithdrawPort(std::string_view driverName) { std::remove(RendezvousPath(driverName).c_str()); }

}  // namespace nfapi
