#include "engine/socket_address_text.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#endif

namespace tvn {

namespace {

uint16_t ReadLittle16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] | bytes[1] << 8); }
uint16_t ReadBig16(const uint8_t* bytes) { return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]); }
uint32_t ReadLittle32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16) | static_cast<uint32_t>(bytes[3]) << 24;
}

std::string Ipv4Text(const uint8_t* address) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", address[0], address[1], address[2], address[3]);
  return text;
}

// RFC 5952 form: lower-case groups, the longest run of two or more zero
// groups (the first of equals) written "::".
std::string Ipv6Text(const uint8_t* address) {
  uint16_t groups[8];
  for (int i = 0; i < 8; ++i) groups[i] = ReadBig16(address + 2 * i);
  int bestStart = -1, bestLength = 0;
  for (int i = 0; i < 8;) {
    int j = i;
    while (j < 8 && groups[j] == 0) ++j;
    if (j - i > bestLength && j - i >= 2) bestStart = i, bestLength = j - i;
    i = j == i ? i + 1 : j;
  }
  std::string text;
  for (int i = 0; i < 8; ++i) {
    if (i == bestStart) {
      text += "::";
      i += bestLength - 1;
      continue;
    }
    if (!text.empty() && text.back() != ':') text += ':';
    char group[8];
    std::snprintf(group, sizeof group, "%x", groups[i]);
    text += group;
  }
  return text;
}

}  // namespace

std::optional<std::string> FormatSocketAddress(const uint8_t* socketAddress) {
  const uint16_t family = ReadLittle16(socketAddress);
  const uint16_t port = ReadBig16(socketAddress + 2);
  if (family == kWindowsAfInet) {
    std::string text = Ipv4Text(socketAddress + 4);
    return port == 0 ? text : text + ":" + std::to_string(port);
  }
  if (family == kWindowsAfInet6) {
    // sockaddr_in6: family, port, flow info (4), address (16), scope id (4).
    std::string text = Ipv6Text(socketAddress + 8);
    const uint32_t scope = ReadLittle32(socketAddress + 24);
    if (scope != 0) text += "%" + std::to_string(scope);
    return port == 0 ? text : "[" + text + "]:" + std::to_string(port);
  }
  return std::nullopt;
}

std::optional<std::string> SystemAddressText(const uint8_t* socketAddress) {
#ifdef _WIN32
  const uint16_t family = ReadLittle16(socketAddress);
  const DWORD length = family == kWindowsAfInet6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
  sockaddr_storage copy{};
  std::memcpy(&copy, socketAddress, length);
  char text[513] = {};
  DWORD size = sizeof text;
  if (WSAAddressToStringA(reinterpret_cast<sockaddr*>(&copy), length, nullptr, text, &size) != 0) return std::nullopt;
  return std::string(text);
#else
  return FormatSocketAddress(socketAddress);
#endif
}

}  // namespace tvn
