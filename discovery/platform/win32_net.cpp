// Windows Sockets 2: IPv4 UDP sockets, readiness by select(), whose set
// holds the 64 sockets that one wait watches, and the host's addresses
// from GetAdaptersAddresses.
#include "discovery/platform/socket_system.h"
// After winsock2.h, which the helper API's headers need first.
#include <iphlpapi.h>

#include <new>
#include <string>

#include "discovery/platform/fault_injection.h"

namespace kovr::platform {

static_assert(FD_SETSIZE >= kMaxWaitSockets, "one select() set holds every watched socket");

SystemError SocketError()
{
    const int error = WSAGetLastError();
    return error != 0 ? error : kUnknownError;
}

namespace {

// An adapter's name in UTF-8; empty when it has none or can't be converted.
std::string Utf8Of(const wchar_t *text)
{
    if (text == nullptr) {
        return {};
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return {};
    }
    std::string utf8(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(size) - 1);
    return utf8;
}

// A prefix length as a mask in network order; the address alone when the
// length makes no sense for IPv4.
uint32_t MaskOfPrefix(unsigned length)
{
    if (length > 32) {
        length = 32;
    }
    const uint32_t hostOrder = length == 0 ? 0 : 0xFFFFFFFFu << (32 - length);
    return htonl(hostOrder);
}

timeval TimevalOf(int32_t timeoutMs)
{
    const int32_t ms = timeoutMs < 0 ? 0 : timeoutMs;
    return timeval{ms / 1000, (ms % 1000) * 1000};
}

// Blocks until a socket has data, the wake event is set, or the time is up,
// without consuming the wake event. WSAEventSelect ties every socket to one
// network event for the length of the wait, and signals it at once when
// data is already queued.
SystemError WaitForDataOrWake(const Socket *sockets, size_t count, int32_t timeoutMs, Event &wake)
{
    WSAEVENT network = WSACreateEvent();
    if (network == WSA_INVALID_EVENT) {
        return SocketError();
    }
    SystemError result = kNoError;
    size_t tied = 0;
    for (; tied < count && result == kNoError; ++tied) {
        result = Checked(WSAEventSelect(NativeOf(sockets[tied]), network, FD_READ | FD_CLOSE));
    }
    if (result == kNoError) {
        HANDLE handles[2] = {wake.Native(), network};
        const DWORD waited =
            WaitForMultipleObjects(2, handles, FALSE, static_cast<DWORD>(timeoutMs < 0 ? 0 : timeoutMs));
        if (waited == WAIT_OBJECT_0) {
            // The wait consumed the auto-reset wake; its owner still has to see it.
            wake.Set();
        } else if (waited == WAIT_FAILED) {
            result = static_cast<SystemError>(GetLastError());
        }
    }
    // Untied again, the sockets stay non-blocking, as they were made.
    for (size_t i = 0; i < tied; ++i) {
        WSAEventSelect(NativeOf(sockets[i]), nullptr, 0);
    }
    WSACloseEvent(network);
    return result;
}

} // namespace

SystemError CreateUdpSocket(Socket *socket)
{
    *socket = kInvalidSocket;
    if (ShouldFail(Fault::SocketCreate)) {
        return kUnknownError;
    }
    // Not inherited, so that a caller's child process never holds a search socket.
    const SOCKET created = WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
    if (created == INVALID_SOCKET) {
        return SocketError();
    }
    *socket = static_cast<Socket>(created);
    return kNoError;
}

SystemError SetNonBlocking(Socket socket)
{
    if (ShouldFail(Fault::SocketOption)) {
        return kUnknownError;
    }
    u_long nonBlocking = 1;
    return Checked(::ioctlsocket(NativeOf(socket), FIONBIO, &nonBlocking));
}

SystemError SetReceiveBufferSize(Socket socket, int bytes)
{
    return Checked(
        ::setsockopt(NativeOf(socket), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char *>(&bytes), sizeof bytes));
}

int64_t SendTo(Socket socket, const uint8_t *data, size_t length, uint32_t address, uint16_t port)
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = address;
    destination.sin_port = htons(port);
    const int sent = ::sendto(NativeOf(socket), reinterpret_cast<const char *>(data), static_cast<int>(length), 0,
                              reinterpret_cast<const sockaddr *>(&destination), sizeof destination);
    return sent == SOCKET_ERROR ? -1 : sent;
}

int64_t ReceiveDatagram(Socket socket, uint8_t *buffer, size_t size)
{
    const int received = ::recv(NativeOf(socket), reinterpret_cast<char *>(buffer), static_cast<int>(size), 0);
    if (received != SOCKET_ERROR) {
        return received;
    }
    // A datagram too large for the buffer is cut, and the system doesn't
    // tell its length: one more than the buffer says it didn't fit.
    return WSAGetLastError() == WSAEMSGSIZE ? static_cast<int64_t>(size) + 1 : -1;
}

void CloseSocket(Socket socket)
{
    if (socket != kInvalidSocket) {
        ::closesocket(NativeOf(socket));
    }
}

int32_t WaitForReadable(const Socket *sockets, size_t count, int32_t timeoutMs, bool *readable, Event *wake,
                        SystemError &reason)
{
    if (count == 0) {
        // select() refuses empty sets; there is only the wake to wait for.
        if (wake != nullptr) {
            if (wake->Wait(static_cast<uint32_t>(timeoutMs < 0 ? 0 : timeoutMs)) == 0) {
                wake->Set();
            }
        } else {
            Sleep(static_cast<DWORD>(timeoutMs < 0 ? 0 : timeoutMs));
        }
        return 0;
    }
    int32_t selectMs = timeoutMs;
    if (wake != nullptr) {
        const SystemError waited = WaitForDataOrWake(sockets, count, timeoutMs, *wake);
        if (waited != kNoError) {
            reason = waited;
            return -1;
        }
        selectMs = 0;
    }
    fd_set readSet;
    FD_ZERO(&readSet);
    for (size_t i = 0; i < count; ++i) {
        FD_SET(NativeOf(sockets[i]), &readSet);
    }
    timeval timeout = TimevalOf(selectMs);
    const int ready = ::select(0, &readSet, nullptr, nullptr, &timeout);
    if (ready == SOCKET_ERROR) {
        reason = SocketError();
        return -1;
    }
    int32_t readableCount = 0;
    for (size_t i = 0; i < count; ++i) {
        readable[i] = ready > 0 && FD_ISSET(NativeOf(sockets[i]), &readSet);
        readableCount += readable[i] ? 1 : 0;
    }
    return readableCount;
}

SystemError ListInterfaceAddresses(std::vector<InterfaceAddress> *addresses)
{
    addresses->clear();
    const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    // The list can grow between the call that sizes it and the one that fills it.
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        try {
            buffer.resize(size);
        } catch (const std::bad_alloc &) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        result = GetAdaptersAddresses(AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES *>(buffer.data()),
                                      &size);
    }
    if (result == ERROR_NO_DATA) {
        return kNoError;
    }
    if (result != ERROR_SUCCESS) {
        return static_cast<SystemError>(result);
    }
    for (auto *adapter = reinterpret_cast<const IP_ADAPTER_ADDRESSES *>(buffer.data()); adapter != nullptr;
         adapter = adapter->Next) {
        const bool up = adapter->OperStatus == IfOperStatusUp;
        const bool loopback = adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
        const bool multicast = (adapter->Flags & IP_ADAPTER_NO_MULTICAST) == 0;
        for (const IP_ADAPTER_UNICAST_ADDRESS *entry = adapter->FirstUnicastAddress; entry != nullptr;
             entry = entry->Next) {
            const sockaddr *address = entry->Address.lpSockaddr;
            if (address == nullptr || address->sa_family != AF_INET) {
                continue;
            }
            const auto *inet = reinterpret_cast<const sockaddr_in *>(address);
            try {
                addresses->push_back(InterfaceAddress{inet->sin_addr.s_addr, up, loopback,
                                                      MaskOfPrefix(entry->OnLinkPrefixLength),
                                                      Utf8Of(adapter->FriendlyName), multicast});
            } catch (const std::bad_alloc &) {
                return ERROR_NOT_ENOUGH_MEMORY;
            }
        }
    }
    return kNoError;
}

} // namespace kovr::platform
