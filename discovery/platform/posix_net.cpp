#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include <new>
#include <utility>

#include "discovery/platform/fault_injection.h"
#include "discovery/platform/socket_system.h"

namespace kovr::platform {

SystemError SocketError()
{
    return LastSystemError();
}

SystemError CreateUdpSocket(Socket *socket)
{
    *socket = kInvalidSocket;
    if (ShouldFail(Fault::SocketCreate)) {
        return kUnknownError;
    }
    // Close-on-exec so that a caller's child process never inherits a search socket.
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) {
        return LastSystemError();
    }
    *socket = fd;
    return kNoError;
}

SystemError SetNonBlocking(Socket socket)
{
    if (ShouldFail(Fault::SocketOption)) {
        return kUnknownError;
    }
    int flags = ::fcntl(socket, F_GETFL);
    const bool set = flags >= 0 && ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) == 0;
    return set ? kNoError : SocketError();
}

SystemError SetReceiveBufferSize(Socket socket, int bytes)
{
    // Past the system's limit (net.core.rmem_max) only with the right to
    // administer the network; anyone else gets at most that limit.
    const bool set = ::setsockopt(socket, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) == 0 ||
                     ::setsockopt(socket, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == 0;
    return set ? kNoError : SocketError();
}

int64_t SendTo(Socket socket, const uint8_t *data, size_t length, uint32_t address, uint16_t port)
{
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = address;
    destination.sin_port = htons(port);
    ssize_t sent;
    do {
        sent = ::sendto(socket, data, length, MSG_NOSIGNAL, reinterpret_cast<const sockaddr *>(&destination),
                        sizeof destination);
    } while (sent < 0 && errno == EINTR);
    return sent;
}

int64_t ReceiveDatagram(Socket socket, uint8_t *buffer, size_t size)
{
    ssize_t received;
    // MSG_TRUNC makes the kernel report the datagram's real length, so one
    // that did not fit can be told from one that filled the buffer exactly.
    do {
        received = ::recv(socket, buffer, size, MSG_TRUNC | MSG_DONTWAIT);
    } while (received < 0 && errno == EINTR);
    return received;
}

void CloseSocket(Socket socket)
{
    if (socket != kInvalidSocket) {
        ::close(socket);
    }
}

int32_t WaitForReadable(const Socket *sockets, size_t count, int32_t timeoutMs, bool *readable, Event *wake,
                        SystemError &reason)
{
    pollfd fds[kMaxWaitSockets + 1];
    for (size_t i = 0; i < count; ++i) {
        fds[i] = pollfd{sockets[i], POLLIN, 0};
    }
    nfds_t watched = count;
    if (wake != nullptr) {
        fds[watched++] = pollfd{wake->Native(), POLLIN, 0};
    }
    int ready = ::poll(fds, watched, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready < 0) {
        // A signal only cuts the wait short; the caller's loop waits again.
        if (errno != EINTR) {
            reason = LastSystemError();
            return -1;
        }
        ready = 0;
    }
    int32_t readableCount = 0;
    for (nfds_t i = 0; i < watched; ++i) {
        // An invalid descriptor is a failure, as it is for select().
        if (ready > 0 && (fds[i].revents & POLLNVAL) != 0) {
            reason = kUnknownError;
            return -1;
        }
    }
    for (size_t i = 0; i < count; ++i) {
        // Pending errors count as readable: the read then reports them.
        readable[i] = ready > 0 && (fds[i].revents & (POLLIN | POLLERR | POLLHUP)) != 0;
        readableCount += readable[i] ? 1 : 0;
    }
    return readableCount;
}

SystemError ListInterfaceAddresses(std::vector<InterfaceAddress> *addresses)
{
    addresses->clear();
    ifaddrs *list = nullptr;
    if (::getifaddrs(&list) != 0) {
        return LastSystemError();
    }
    SystemError result = kNoError;
    for (const ifaddrs *entry = list; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) {
            continue;
        }
        const auto *inet = reinterpret_cast<const sockaddr_in *>(entry->ifa_addr);
        InterfaceAddress item{inet->sin_addr.s_addr, (entry->ifa_flags & IFF_UP) != 0,
                              (entry->ifa_flags & IFF_LOOPBACK) != 0};
        if (entry->ifa_netmask != nullptr && entry->ifa_netmask->sa_family == AF_INET) {
            item.mask = reinterpret_cast<const sockaddr_in *>(entry->ifa_netmask)->sin_addr.s_addr;
        }
        item.multicast = (entry->ifa_flags & IFF_MULTICAST) != 0;
        try {
            item.name = entry->ifa_name != nullptr ? entry->ifa_name : "";
            addresses->push_back(std::move(item));
        } catch (const std::bad_alloc &) {
            result = ENOMEM;
            break;
        }
    }
    ::freeifaddrs(list);
    return result;
}

} // namespace kovr::platform
