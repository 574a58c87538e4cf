// A small HTTP server on 127.0.0.1 (ephemeral port) for tests: each request
// is recorded and answered by the test's handler with raw response bytes.
// Windows (Winsock) only. One connection at a time, closed after the answer.
//
//   LoopbackHttpServer server([](const HttpRequest& r) {
//     return LoopbackHttpServer::Reply(200, "MS:0\r\nAAS:1\r\nX\r\n");
//   });
//   http.URL = server.Url("/x");
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tvn::testing {

struct HttpRequest {
  std::string head;    // request line and headers, as received
  std::string target;  // the request line's target, e.g. /a?b=c
  std::chrono::steady_clock::time_point at;
};

class LoopbackHttpServer {
 public:
  // Raw bytes to send back; an empty answer closes the connection unanswered.
  using Handler = std::function<std::string(const HttpRequest&)>;

  explicit LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 8);
    int length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }

  ~LoopbackHttpServer() {
    stop_ = true;
    thread_.join();
    closesocket(listener_);
    WSACleanup();
  }

  int Port() const { return port_; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::string Url(const std::string& path) const { return BaseUrl() + path; }

  std::vector<HttpRequest> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }

  static std::string Reply(int status, const std::string& body, const std::string& extraHeaders = "") {
    return "HTTP/1.0 " + std::to_string(status) + " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           extraHeaders + "\r\n" + body;
  }

 private:
  void Serve() {
    while (!stop_) {
      fd_set ready;
      FD_ZERO(&ready);
      FD_SET(listener_, &ready);
      timeval wait{0, 50000};
      if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
      const SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) continue;
      Answer(client);
      closesocket(client);
    }
  }

  void Answer(SOCKET client) {
    HttpRequest request;
    char buffer[4096];
    while (request.head.find("\r\n\r\n") == std::string::npos) {
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.head.append(buffer, got);
    }
    request.at = std::chrono::steady_clock::now();
    const size_t targetStart = request.head.find(' ') + 1;
    request.target = request.head.substr(targetStart, request.head.find(' ', targetStart) - targetStart);
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(request);
    }
    const std::string reply = handler_(request);
    if (!reply.empty()) send(client, reply.data(), static_cast<int>(reply.size()), 0);
    shutdown(client, SD_SEND);
  }

  Handler handler_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<HttpRequest> requests_;
};

}  // namespace tvn::testing
