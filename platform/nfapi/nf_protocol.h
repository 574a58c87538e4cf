// The channel between the nfapi library and a driver, in one place.
//
// Transport: one TCP connection on the loopback interface. The driver listens
// on 127.0.0.1 with a port of the system's choosing and publishes it in the
// rendezvous file "<dir>/<driver name>.nfdriver" (the port in decimal, one
// line), where <dir> is the environment variable TVN_NFAPI_DIR or else the
// temporary folder. The library reads that file, connects, and says Hello
// with the driver name; a driver of another name refuses. Anything that can
// listen on loopback TCP can serve this protocol: the simulated driver under
// Wine, or a native backend outside Wine.
//
// Frames: u32 length of what follows, u16 message type, u32 sequence number,
// then the payload. Integers are little-endian; records (rules, connection
// records, socket addresses, options, limits, statistics) travel as their
// packed bytes from nfapi_types.h. Each side numbers its own requests; the
// answer to a request carries the request's sequence number and a type with
// the high bit set. Either side may have several requests outstanding.
//
// Library to driver (each answered by Answer: i32 status, then the result):
//   Hello           name bytes
//   AddRule         rule (83), u8 at head
//   DeleteRules     -
//   SetState        u64 id, u8 suspended
//   TcpClose        u64 id
//   TcpPostReceive  u64 id, data            (TcpPostSend likewise)
//   UdpPostReceive  u64 id, address (28), options (8), data   (UdpPostSend likewise)
//   ProcessName     u32 process id          -> status, path bytes
//   AddFlowCtl      limits (16)             -> status, u32 handle
//   SetTcpFlowCtl   u64 id, u32 handle
//   FlowCtlStat     u32 handle              -> status, statistics (16)
//
// Driver to library (each answered by EventDone once the handler returned):
//   TcpConnectRequest, TcpConnected, TcpClosed   u64 id, connection record (67)
//                    -> EventDone carries the record as the handler left it
//                       (filtering flag 1: refuse the connection)
//   TcpReceive, TcpSend        u64 id, data
//   UdpReceive, UdpSend        u64 id, address (28), options (8), data
//
// Calls a handler makes during an event (process name, suspend, post) are
// ordinary requests: the driver answers them while it waits for EventDone,
// and it acts on messages in the order they arrive.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace nfapi {

enum class MessageType : uint16_t {
  Hello = 1,
  AddRule,
  DeleteRules,
  SetState,
  TcpClose,
  TcpPostReceive,
  TcpPostSend,
  UdpPostReceive,
  UdpPostSend,
  ProcessName,
  AddFlowCtl,
  SetTcpFlowCtl,
  FlowCtlStat,

  TcpConnectRequest = 64,
  TcpConnected,
  TcpClosed,
  TcpReceive,
  TcpSend,
  UdpReceive,
  UdpSend,

  Answer = 0x8000,
  EventDone = 0x8001,
};

inline bool IsReply(MessageType type) { return (static_cast<uint16_t>(type) & 0x8000) != 0; }

inline constexpr uint32_t kMaxFrame = 16u << 20;

struct Message {
  MessageType Type = MessageType::Answer;
  uint32_t Sequence = 0;
  std::string Payload;
};

// Builds a payload field by field.
class PayloadWriter {
 public:
  template <typename T>
  PayloadWriter& Put(const T& value) {
    return Bytes(&value, sizeof value);
  }
  PayloadWriter& Bytes(const void* data, std::size_t size) {
    payload_.append(static_cast<const char*>(data), size);
    return *this;
  }
  PayloadWriter& Text(std::string_view text) { return Bytes(text.data(), text.size()); }
  std::string Take() { return std::move(payload_); }

 private:
  std::string payload_;
};

// Reads a payload field by field; a short payload makes Ok() false.
class PayloadReader {
 public:
  explicit PayloadReader(std::string_view payload) : rest_(payload) {}
  template <typename T>
  T Get() {
    T value{};
    Bytes(&value, sizeof value);
    return value;
  }
  void Bytes(void* out, std::size_t size) {
    if (rest_.size() < size) {
      ok_ = false;
      rest_ = {};
      return;
    }
    std::memcpy(out, rest_.data(), size);
    rest_.remove_prefix(size);
  }
  std::string_view Rest() {
    std::string_view rest = rest_;
    rest_ = {};
    return rest;
  }
  bool Ok() const { return ok_; }

 private:
  std::string_view rest_;
  bool ok_ = true;
};

// "<dir>/<name>.nfdriver"
std::string RendezvousPath(std::string_view driverName);
bool PublishPort(std::string_view driverName, uint16_t port);
std::optional<uint16_t> ReadPublishedPort(std::string_view driverName);
void WithdrawPort(std::string_view driverName);

}  // namespace nfapi
