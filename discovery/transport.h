// Per-interface UDP multicast transport: the host's IPv4 addresses, one
// configured socket per address, sending to the group, receiving and
// accepting replies, and the single-socket command exchange.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/net.h"

namespace kovr {

struct DiscoverySession;
struct GuardedList;
struct ReplyRecord;
struct PollInterval;
namespace platform {
struct Timer;
} // namespace platform

// Watched per readiness wait; sockets beyond it only send.
constexpr size_t kMaxWatchedSockets = 64;

struct SocketSet {
    platform::Socket *sockets;
    size_t count;
};

// Fills `list` (emptied first) with the host's IPv4 addresses, network order,
// each item the address value itself. Returns the count, 0 on failure.
int32_t EnumerateLocalAddresses(GuardedList *list);
// The same, telling a lookup that failed (true, errno says why) from a host
// without any address.
int32_t EnumerateLocalAddresses(GuardedList *list, bool *lookupFailed);
// The rule behind it, apart from the system call: every address of an
// interface that is up, in the given order, each once; loopback addresses
// only when there is no other.
int32_t FillLocalAddressList(GuardedList *list, const std::vector<platform::InterfaceAddress> &interfaces);
// A local address stored as a list item, and back.
void *AddressItem(uint32_t address);
uint32_t ItemAddress(const void *item);
// One wait of a polling loop in whole milliseconds: rounded up, at least 1.
int32_t PollMilliseconds(const PollInterval &interval);
platform::Socket OpenInterfaceSocket(const DiscoverySession *session, uint32_t localAddress);
// False and an empty set when there is no address or any socket fails.
bool OpenSocketSet(const DiscoverySession *session, SocketSet *set);
void CloseSocketSet(SocketSet *set);
int32_t SendToGroup(const DiscoverySession *session, const platform::Socket *sockets, size_t count,
                    const uint8_t *datagram, size_t length);
int32_t ReceiveReply(const DiscoverySession *session, platform::Socket socket, uint16_t expectedType,
                     const uint8_t *target, ReplyRecord *record);
// Waits for the reply to a request sent through `sockets`: each pass reads
// one datagram from every readable socket (the first 64 are watched), in
// order, until one is accepted into `record` (0) or `timer` has fired (-2,
// with "Operation timed out" recorded). -1 when the wait itself fails; the
// last error is then left alone and errno says why.
int32_t AwaitReply(DiscoverySession *session, const platform::Socket *sockets, size_t count, platform::Timer *timer,
                   uint16_t expectedType, const uint8_t *target, ReplyRecord *record);
// 0 reply accepted, -1 failure, -2 no acceptable reply within commandTimeout.
int32_t ExchangeOnInterface(DiscoverySession *session, uint32_t localAddress, uint16_t expectedType,
                            const uint8_t *target, const uint8_t *request, size_t length, ReplyRecord *record);

} // namespace kovr
