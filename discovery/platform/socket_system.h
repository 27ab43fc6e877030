// The system's socket headers and types, for the platform's socket code
// that is the same on every system.
#pragma once

#if defined(_WIN32)
#  include <winsock2.h>
#  include <ws2tcpip.h>
#else
#  include <arpa/inet.h>
#  include <netinet/in.h>
#  include <sys/socket.h>
#endif

#include "discovery/platform/net.h"

namespace kovr::platform {

#if defined(_WIN32)
using NativeSocket = SOCKET;
#else
using NativeSocket = int;
#endif

inline NativeSocket NativeOf(Socket socket)
{
    return static_cast<NativeSocket>(socket);
}

// The reason the calling thread's last socket call failed.
SystemError SocketError();

// WaitReadable's system part, for at most kMaxWaitSockets sockets; it
// records a failure's reason in `reason`.
int32_t WaitForReadable(const Socket *sockets, size_t count, int32_t timeoutMs, bool *readable, Event *wake,
                        SystemError &reason);

// kNoError when a socket call returned 0, else its reason.
inline SystemError Checked(int result)
{
    return result == 0 ? kNoError : SocketError();
}

} // namespace kovr::platform
