// Loopback TCP sockets for the driver channel, the same on Winsock and POSIX.
// Only 127.0.0.1 is ever bound or dialled.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nfapi {

using SocketHandle = intptr_t;
inline constexpr SocketHandle kNoSocket = -1;

// Starts Winsock where there is one; true when sockets can be used.
bool StartSockets();

// A listening socket on 127.0.0.1 with a port chosen by the system.
SocketHandle ListenOnLoopback(uint16_t* port);
// The next connection, or kNoSocket when none came within timeoutMs.
SocketHandle AcceptWithin(SocketHandle listener, int timeoutMs);
SocketHandle ConnectToLoopback(uint16_t port);

bool SendAll(SocketHandle socket, const void* data, std::size_t size);
// False at the end of the stream or on an error.
bool ReceiveAll(SocketHandle socket, void* data, std::size_t size);
// Makes a blocked receive on another thread return.
void ShutdownSocket(SocketHandle socket);
void CloseSocket(SocketHandle socket);

}  // namespace nfapi
