// Per-interface UDP multicast transport: the host's IPv4 addresses, one
// configured socket per address, sending to the group, receiving and
// accepting replies, and the single-socket command exchange. It works on
// the settings it is given and reports what happened; recording an error
// is its caller's business.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "discovery/platform/net.h"
#include "discovery/platform/timer.h"
#include "discovery/replies.h"

namespace kovr {

// Watched per readiness wait; sockets beyond it only send.
constexpr size_t kMaxWatchedSockets = 64;

struct TransportSettings {
    uint32_t multicastTtl;
    uint32_t groupAddress; // network byte order
    uint16_t port;         // host byte order
    // One wait of a reply loop; the loop looks at its timer between waits.
    std::chrono::microseconds pollInterval;
};

// What a transport operation came to. A failure carries the system's
// reason (kUnknownError when there is none).
enum class Outcome { Accepted, Failed, TimedOut, NoLocalAddress };

struct TransportStatus {
    Outcome outcome;
    platform::SystemError error;
};

// The sockets of one operation, one per local address, closed with the set.
class SocketSet {
public:
    SocketSet() = default;
    ~SocketSet() { Close(); }
    SocketSet(const SocketSet &) = delete;
    SocketSet &operator=(const SocketSet &) = delete;

    void Close();
    const platform::Socket *sockets() const { return sockets_.data(); }
    size_t count() const { return sockets_.size(); }

private:
    friend TransportStatus OpenSocketSet(const TransportSettings &settings, SocketSet *set);
    std::vector<platform::Socket> sockets_;
};

// Fills `addresses` (emptied first) with the host's IPv4 addresses, network
// order; an error when the system could not list them.
platform::SystemError EnumerateLocalAddresses(std::vector<uint32_t> *addresses);
// The rule behind it, apart from the system call: every address of an
// interface that is up, in the given order, each once; loopback addresses
// only when there is no other.
void FillLocalAddressList(std::vector<uint32_t> *addresses, const std::vector<platform::InterfaceAddress> &interfaces);
// One wait of a polling loop in whole milliseconds: rounded up, at least 1.
int32_t PollMilliseconds(std::chrono::microseconds interval);
platform::SystemError OpenInterfaceSocket(const TransportSettings &settings, uint32_t localAddress,
                                          platform::Socket *socket);
// A socket per local address; NoLocalAddress when there is none, and Failed
// with an empty set when any socket fails.
TransportStatus OpenSocketSet(const TransportSettings &settings, SocketSet *set);
// False when any socket could not send the whole datagram.
bool SendToGroup(const TransportSettings &settings, const platform::Socket *sockets, size_t count,
                 const uint8_t *datagram, size_t length);
// Reads one datagram; true when it is accepted into `record`.
bool ReceiveReply(const Identity &identity, platform::Socket socket, uint16_t expectedType,
                  const uint8_t target[kMacSize], ReplyRecord *record);
// Waits for the reply to a request sent through `sockets`: each pass reads
// one datagram from every readable socket (the first 64 are watched), in
// order, until one is accepted into `record` or `timer` has fired.
TransportStatus AwaitReply(const Identity &identity, const TransportSettings &settings, const platform::Socket *sockets,
                           size_t count, platform::Timer &timer, uint16_t expectedType, const uint8_t target[kMacSize],
                           ReplyRecord *record);
// Sends `request` once through the interface that owns localAddress and
// waits up to `timeout` for the reply.
TransportStatus ExchangeOnInterface(const Identity &identity, const TransportSettings &settings,
                                    std::chrono::milliseconds timeout, uint32_t localAddress, uint16_t expectedType,
                                    const uint8_t target[kMacSize], const uint8_t *request, size_t length,
                                    ReplyRecord *record);

} // namespace kovr
