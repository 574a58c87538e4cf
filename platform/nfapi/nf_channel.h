// One end of the driver channel: frames over a loopback socket, a reader
// thread, and requests that wait for their answer by sequence number.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

#include "nf_protocol.h"
#include "nf_socket.h"

namespace nfapi {

class Channel {
 public:
  // Requests from the other side; runs on the reader thread and must not wait
  // for the other side.
  using RequestHandler = std::function<void(Message&&)>;

  explicit Channel(SocketHandle socket);
  ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  void Start(RequestHandler onRequest, std::function<void()> onClosed = nullptr);
  // Sends a request and waits for its answer; nullopt on timeout or when the
  // channel closes.
  std::optional<Message> Call(MessageType type, std::string payload, std::chrono::milliseconds timeout);
  // Sends a request whose answer nobody waits for.
  bool Notify(MessageType type, std::string payload);
  bool Answer(const Message& request, MessageType type, std::string payload);
  // Stops the reader and wakes every waiting caller. Idempotent.
  void Close();
  bool IsOpen() const;

 private:
  bool Send(MessageType type, uint32_t sequence, const std::string& payload);
  bool Receive(Message& message);
  void ReadLoop(RequestHandler onRequest, std::function<void()> onClosed);

  // The reader keeps its own copy: the handle it reads from never changes,
  // while socket_ (guarded by sendMutex_) is cleared once closed.
  const SocketHandle readSocket_;
  SocketHandle socket_;
  std::mutex sendMutex_;
  mutable std::mutex mutex_;
  std::condition_variable answered_;
  uint32_t nextSequence_ = 1;
  bool open_ = true;
  std::map<uint32_t, std::optional<Message>> waiting_;
  std::thread reader_;
};

}  // namespace nfapi
