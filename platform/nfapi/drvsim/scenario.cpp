#include "scenario.h"

#include <charconv>
#include <cstring>
#include <sstream>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

namespace drvsim {

namespace {

constexpr uint16_t kAfInet = 2, kAfInet6 = 23;  // as Windows numbers them

template <typename T>
bool ParseNumber(const std::string& text, T* value) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, *value);
  return error == std::errc() && stop == end && !text.empty();
}

void PutPort(SocketAddress* address, uint16_t family, uint16_t port) {
  address->Bytes[0] = static_cast<uint8_t>(family);
  address->Bytes[1] = static_cast<uint8_t>(family >> 8);
  address->Bytes[2] = static_cast<uint8_t>(port >> 8);
  address->Bytes[3] = static_cast<uint8_t>(port);
}

bool ParseDirection(const std::string& text, uint8_t* direction) {
  if (text == "out")
    *direction = NF_DIRECTION_OUT;
  else if (text == "in")
    *direction = NF_DIRECTION_IN;
  else if (text == "both")
    *direction = NF_DIRECTION_BOTH;
  else
    return false;
  return true;
}

bool ParseState(const std::string& text, ConnectionState* state) {
  for (ConnectionState candidate :
       {ConnectionState::Allowed, ConnectionState::Held, ConnectionState::Blocked, ConnectionState::Closed}) {
    if (text == StateName(candidate)) {
      *state = candidate;
      return true;
    }
  }
  return false;
}

bool ParseInOut(const std::string& text, bool* inbound) {
  if (text != "in" && text != "out") return false;
  *inbound = text == "in";
  return true;
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream stream(line);
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

// The step of one line, or an error text.
std::variant<Step, std::string> ParseStep(const std::string& line) {
  const std::vector<std::string> w = Words(line);
  const std::string& verb = w[0];
  const std::size_t n = w.size();
  if (verb == "process" && n >= 3) {
    ProcessStep step{};
    if (!ParseNumber(w[1], &step.ProcessId)) return "bad process id";
    const std::size_t pathStart = line.find(w[2], line.find(w[1]) + w[1].size());
    step.Path = line.substr(pathStart);
    while (!step.Path.empty() && (step.Path.back() == ' ' || step.Path.back() == '\r' || step.Path.back() == '\t'))
      step.Path.pop_back();
    return Step(step);
  }
  if (verb == "connect" && n == 6) {
    ConnectStep step{};
    if (!ParseNumber(w[1], &step.Id) || !ParseNumber(w[2], &step.ProcessId)) return "bad connection or process id";
    if (!ParseDirection(w[3], &step.Direction)) return "direction must be out, in or both";
    if (!ParseSocketAddress(w[4], &step.Local) || !ParseSocketAddress(w[5], &step.Remote)) return "bad address";
    return Step(step);
  }
  if ((verb == "send" || verb == "recv") && n == 3) {
    DataStep step{0, verb == "recv", 0};
    if (!ParseNumber(w[1], &step.Id) || !ParseNumber(w[2], &step.Bytes)) return "bad connection id or byte count";
    return Step(step);
  }
  if (verb == "udp" && n == 4) {
    UdpStep step{};
    if (!ParseNumber(w[1], &step.ProcessId) || !ParseNumber(w[3], &step.Bytes)) return "bad process id or byte count";
    if (!ParseSocketAddress(w[2], &step.Remote)) return "bad address";
    return Step(step);
  }
  if (verb == "wait" && n == 2) {
    WaitStep step{};
    if (!ParseNumber(w[1], &step.Milliseconds)) return "bad duration";
    return Step(step);
  }
  if (verb == "expect" && (n == 3 || n == 4)) {
    ExpectStep step{};
    if (!ParseNumber(w[1], &step.Id)) return "bad connection id";
    if (!ParseState(w[2], &step.State)) return "state must be allowed, held, blocked or closed";
    if (n == 4 && !ParseNumber(w[3], &step.WithinMs)) return "bad duration";
    return Step(step);
  }
  if (verb == "expect-bytes" && n == 3) {
    ExpectBytesStep step{};
    if (!ParseInOut(w[1], &step.Inbound) || !ParseNumber(w[2], &step.Bytes)) return "expect-bytes in|out N";
    return Step(step);
  }
  return "unknown step or wrong number of words";
}

}  // namespace

const char* StateName(ConnectionState state) {
  switch (state) {
    case ConnectionState::Allowed:
      return "allowed";
    case ConnectionState::Held:
      return "held";
    case ConnectionState::Blocked:
      return "blocked";
    case ConnectionState::Closed:
      return "closed";
  }
  return "?";
}

bool ParseSocketAddress(const std::string& text, SocketAddress* address) {
  *address = {};
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) return false;
  uint16_t port = 0;
  if (!ParseNumber(text.substr(colon + 1), &port)) return false;
  std::string host = text.substr(0, colon);
  if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
    // sockaddr_in6: family, port, flow info, 16 address bytes, scope id
    if (inet_pton(AF_INET6, host.substr(1, host.size() - 2).c_str(), address->Bytes + 8) != 1) return false;
    PutPort(address, kAfInet6, port);
    return true;
  }
  if (inet_pton(AF_INET, host.c_str(), address->Bytes + 4) != 1) return false;
  PutPort(address, kAfInet, port);
  return true;
}

bool ParseScenario(const std::string& text, Scenario* scenario, std::string* error) {
  std::istringstream stream(text);
  int number = 0;
  for (std::string line; std::getline(stream, line);) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    line = line.substr(first);
    auto parsed = ParseStep(line);
    if (auto* why = std::get_if<std::string>(&parsed)) {
      *error = "line " + std::to_string(number) + ": " + *why + ": " + line;
      return false;
    }
    scenario->Lines.push_back({number, line, std::get<Step>(parsed)});
  }
  return true;
}

}  // namespace drvsim
