// The socket calls the transport needs, as one small platform interface.
// Each call consults the fault-injection seam first, and each one that can
// fail returns kNoError or the reason it failed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/platform/event.h"
#include "discovery/platform/system_errors.h"

namespace kovr::platform {

#if defined(_WIN32)
using Socket = uintptr_t; // SOCKET
constexpr Socket kInvalidSocket = ~Socket{0};
#else
using Socket = int;
constexpr Socket kInvalidSocket = -1;
#endif

// The most sockets one readiness wait may watch.
constexpr size_t kMaxWaitSockets = 64;

// A UDP/IPv4 socket into `socket`, kInvalidSocket on failure.
SystemError CreateUdpSocket(Socket *socket);
// Binds to the local address (network order) and a port the system chooses.
SystemError BindSocket(Socket socket, uint32_t localAddress);
// Multicast leaves through the interface that owns localAddress (network order).
SystemError SetMulticastInterface(Socket socket, uint32_t localAddress);
SystemError SetMulticastTtl(Socket socket, uint32_t ttl);
SystemError SetNonBlocking(Socket socket);
// Raises the kernel's receive buffer, past the system's limit when the
// process may; otherwise the system may grant less.
SystemError SetReceiveBufferSize(Socket socket, int bytes);
// Sends to address (network order) and port (host order). Bytes sent, or -1.
int64_t SendTo(Socket socket, const uint8_t *data, size_t length, uint32_t address, uint16_t port);
// Reads one datagram without waiting. Returns the datagram's full length,
// which exceeds `size` when it did not fit (the rest is lost), or -1 when
// nothing was read.
int64_t ReceiveDatagram(Socket socket, uint8_t *buffer, size_t size);
// The socket's own IPv4 address (network order).
bool LocalAddressOf(Socket socket, uint32_t *address);
void CloseSocket(Socket socket);

// Waits until one of `count` sockets (at most kMaxWaitSockets) is readable,
// or timeoutMs has passed, or `wake` (when given) is set; the wake event is
// only watched: it stays set for its owner to consume. readable[i] tells
// which sockets are ready. Returns the number of readable sockets, 0 when
// none is, -1 on failure (with the reason in *error when given).
int32_t WaitReadable(const Socket *sockets, size_t count, int32_t timeoutMs, bool *readable, Event *wake = nullptr,
                     SystemError *error = nullptr);

struct InterfaceAddress {
    uint32_t address; // network order
    bool up;
    bool loopback;
    // The subnet's mask, network order; the address alone when the system gives none.
    uint32_t mask = 0xFFFFFFFFu;
    // The interface's name as the system shows it (eth0; on Windows the
    // adapter's friendly name, in UTF-8).
    std::string name{};
    // Whether the interface carries multicast: one that doesn't can never
    // carry a search.
    bool multicast = true;
};

// Every IPv4 address of every interface, in the order the system lists them.
SystemError ListInterfaceAddresses(std::vector<InterfaceAddress> *addresses);

} // namespace kovr::platform
