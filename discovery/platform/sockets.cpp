// The socket calls that are the same on every system.
#include "discovery/platform/fault_injection.h"
#include "discovery/platform/socket_system.h"

namespace kovr::platform {

namespace {

// Option values travel as bytes on every system.
template <typename Value>
SystemError SetOption(Socket socket, int level, int name, const Value &value)
{
    return Checked(::setsockopt(NativeOf(socket), level, name, reinterpret_cast<const char *>(&value), sizeof value));
}

} // namespace

SystemError BindSocket(Socket socket, uint32_t localAddress)
{
    if (ShouldFail(Fault::SocketBind)) {
        return kUnknownError;
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = localAddress;
    local.sin_port = 0;
    return Checked(::bind(NativeOf(socket), reinterpret_cast<const sockaddr *>(&local), sizeof local));
}

SystemError SetMulticastInterface(Socket socket, uint32_t localAddress)
{
    if (ShouldFail(Fault::SocketOption)) {
        return kUnknownError;
    }
    in_addr address{};
    address.s_addr = localAddress;
    return SetOption(socket, IPPROTO_IP, IP_MULTICAST_IF, address);
}

SystemError SetMulticastTtl(Socket socket, uint32_t ttl)
{
    if (ShouldFail(Fault::SocketOption)) {
        return kUnknownError;
    }
    return SetOption(socket, IPPROTO_IP, IP_MULTICAST_TTL, static_cast<int>(ttl));
}

bool LocalAddressOf(Socket socket, uint32_t *address)
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (::getsockname(NativeOf(socket), reinterpret_cast<sockaddr *>(&local), &length) != 0 ||
        local.sin_family != AF_INET) {
        return false;
    }
    *address = local.sin_addr.s_addr;
    return true;
}

int32_t WaitReadable(const Socket *sockets, size_t count, int32_t timeoutMs, bool *readable, Event *wake,
                     SystemError *error)
{
    SystemError ignored = kNoError;
    SystemError &reason = error != nullptr ? *error : ignored;
    reason = kUnknownError;
    if (ShouldFail(Fault::Poll) || count > kMaxWaitSockets) {
        return -1;
    }
    return WaitForReadable(sockets, count, timeoutMs, readable, wake, reason);
}

} // namespace kovr::platform
