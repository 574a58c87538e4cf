#include "nf_socket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace nfapi {

namespace {

#ifdef _WIN32
using NativeSocket = SOCKET;
NativeSocket Native(SocketHandle socket) { return static_cast<NativeSocket>(socket); }
constexpr int kShutBoth = SD_BOTH;
#else
using NativeSocket = int;
NativeSocket Native(SocketHandle socket) { return static_cast<NativeSocket>(socket); }
constexpr int kShutBoth = SHUT_RDWR;
#endif

SocketHandle Handle(NativeSocket socket) {
#ifdef _WIN32
  if (socket == INVALID_SOCKET) return kNoSocket;
#else
  if (socket < 0) return kNoSocket;
#endif
  return static_cast<SocketHandle>(socket);
}

sockaddr_in Loopback(uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// Small request/reply frames: send each at once.
void NoDelay(SocketHandle socket) {
  int on = 1;
  setsockopt(Native(socket), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

}  // namespace

bool StartSockets() {
#ifdef _WIN32
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
#else
  return true;
#endif
}

SocketHandle ListenOnLoopback(uint16_t* port) {
  SocketHandle listener = Handle(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (listener == kNoSocket) return kNoSocket;
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (bind(Native(listener), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(Native(listener), 4) != 0 ||
      getsockname(Native(listener), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    CloseSocket(listener);
    return kNoSocket;
  }
  *port = ntohs(address.sin_port);
  return listener;
}

SocketHandle AcceptWithin(SocketHandle listener, int timeoutMs) {
#ifdef _WIN32
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(Native(listener), &readable);
  timeval timeout{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
  if (select(0, &readable, nullptr, nullptr, &timeout) <= 0) return kNoSocket;
#else
  pollfd waiting{Native(listener), POLLIN, 0};
  if (poll(&waiting, 1, timeoutMs) <= 0) return kNoSocket;
#endif
  SocketHandle accepted = Handle(accept(Native(listener), nullptr, nullptr));
  if (accepted != kNoSocket) NoDelay(accepted);
  return accepted;
}

SocketHandle ConnectToLoopback(uint16_t port) {
  SocketHandle connection = Handle(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (connection == kNoSocket) return kNoSocket;
  sockaddr_in address = Loopback(port);
  if (connect(Native(connection), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    CloseSocket(connection);
    return kNoSocket;
  }
  NoDelay(connection);
  return connection;
}

bool SendAll(SocketHandle socket, const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
#ifdef _WIN32
    const int sent = send(Native(socket), bytes, static_cast<int>(size), 0);
#else
    const ssize_t sent = send(Native(socket), bytes, size, MSG_NOSIGNAL);
#endif
    if (sent <= 0) return false;
    bytes += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

bool ReceiveAll(SocketHandle socket, void* data, std::size_t size) {
  char* bytes = static_cast<char*>(data);
  while (size > 0) {
#ifdef _WIN32
    const int received = recv(Native(socket), bytes, static_cast<int>(size), 0);
#else
    const ssize_t received = recv(Native(socket), bytes, size, 0);
#endif
    if (received <= 0) return false;
    bytes += received;
    size -= static_cast<std::size_t>(received);
  }
  return true;
}

void ShutdownSocket(SocketHandle socket) {
  if (socket != kNoSocket) shutdown(Native(socket), kShutBoth);
}

void CloseSocket(SocketHandle socket) {
  if (socket == kNoSocket) return;
#ifdef _WIN32
  closesocket(Native(socket));
#else
  close(Native(socket));
#endif
}

}  // namespace nfapi
