// The text of a socket address as the driver's connection record holds it
// (28 bytes: a Windows sockaddr_in or sockaddr_in6), in the form Windows'
// WSAAddressToStringA writes: "192.168.1.5:49731", "[2001:db8::1]:443".
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace tvn {

// Address families as Windows numbers them.
inline constexpr uint16_t kWindowsAfInet = 2;
inline constexpr uint16_t kWindowsAfInet6 = 23;

// Converts one 28-byte socket address; nullopt when it cannot be converted.
using AddressTextFunction = std::function<std::optional<std::string>(const uint8_t* socketAddress)>;

// The engine's own conversion, identical in form to Windows' for IPv4 and
// IPv6 (port left out when 0, IPv6 zero runs shortened, scope as "%n").
std::optional<std::string> FormatSocketAddress(const uint8_t* socketAddress);

// The conversion a running firewall uses: WSAAddressToStringA on Windows,
// FormatSocketAddress elsewhere.
std::optional<std::string> SystemAddressText(const uint8_t* socketAddress);

}  // namespace tvn
