#include "transport.h"

#include <algorithm>
#include <cstdlib>

#include "guarded_list.h"
#include "platform/timer.h"
#include "session.h"
#include "wire_format.h"

namespace kovr {

void *AddressItem(uint32_t address)
{
    return reinterpret_cast<void *>(static_cast<uintptr_t>(address));
}

uint32_t ItemAddress(const void *item)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(item));
}

int32_t PollMilliseconds(const PollInterval &interval)
{
    // Rounded up and at least 1 ms: a wait of 0 would turn the caller's
    // polling loop into a busy loop.
    const int64_t milliseconds =
        static_cast<int64_t>(interval.seconds) * 1000 + (static_cast<int64_t>(interval.microseconds) + 999) / 1000;
    return static_cast<int32_t>(std::clamp<int64_t>(milliseconds, 1, INT32_MAX));
}

int32_t FillLocalAddressList(GuardedList *list, const std::vector<platform::InterfaceAddress> &interfaces)
{
    if (list == nullptr) {
        return 0;
    }
    Clear(list);
    // Loopback reaches no device, so it is used only on a host with nothing else.
    for (bool loopbackPass : {false, true}) {
        for (const platform::InterfaceAddress &entry : interfaces) {
            // 0.0.0.0 is no address, and as a list item it would be a null pointer.
            if (entry.up && entry.loopback == loopbackPass && entry.address != 0) {
                Append(list, AddressItem(entry.address));
            }
        }
        if (Count(list) > 0) {
            break;
        }
    }
    int32_t count = Count(list);
    return count > 0 ? count : 0;
}

int32_t EnumerateLocalAddresses(GuardedList *list)
{
    bool lookupFailed = false;
    return EnumerateLocalAddresses(list, &lookupFailed);
}

int32_t EnumerateLocalAddresses(GuardedList *list, bool *lookupFailed)
{
    *lookupFailed = false;
    if (list == nullptr) {
        return 0;
    }
    Clear(list);
    std::vector<platform::InterfaceAddress> interfaces;
    if (!platform::ListInterfaceAddresses(&interfaces)) {
        *lookupFailed = true;
        return 0;
    }
    return FillLocalAddressList(list, interfaces);
}

platform::Socket OpenInterfaceSocket(const DiscoverySession *session, uint32_t localAddress)
{
    if (session == nullptr) {
        return platform::kInvalidSocket;
    }
    platform::Socket socket = platform::CreateUdpSocket();
    if (socket == platform::kInvalidSocket) {
        return platform::kInvalidSocket;
    }
    if (!platform::BindSocket(socket, localAddress) || !platform::SetMulticastInterface(socket, localAddress) ||
        !platform::SetMulticastTtl(socket, session->multicastTtl) || !platform::SetNonBlocking(socket)) {
        platform::CloseSocket(socket);
        return platform::kInvalidSocket;
    }
    return socket;
}

static bool OpenSocketsForList(const DiscoverySession *session, GuardedList *addresses, SocketSet *set)
{
    int32_t count = EnumerateLocalAddresses(addresses);
    if (count <= 0) {
        return false;
    }
    auto *sockets = static_cast<platform::Socket *>(std::calloc(static_cast<size_t>(count), sizeof(platform::Socket)));
    if (sockets == nullptr) {
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        sockets[i] = OpenInterfaceSocket(session, ItemAddress(EntryAt(addresses, i)));
        if (sockets[i] == platform::kInvalidSocket) {
            // A set is whole or absent: never hand out one with a gap.
            SocketSet partial{sockets, static_cast<size_t>(i)};
            CloseSocketSet(&partial);
            return false;
        }
    }
    set->sockets = sockets;
    set->count = static_cast<size_t>(count);
    return true;
}

bool OpenSocketSet(const DiscoverySession *session, SocketSet *set)
{
    if (set == nullptr) {
        return false;
    }
    *set = SocketSet{nullptr, 0};
    if (session == nullptr) {
        return false;
    }
    GuardedList *addresses = CreateList();
    if (addresses == nullptr) {
        return false;
    }
    bool opened = OpenSocketsForList(session, addresses, set);
    DestroyList(addresses);
    return opened;
}

void CloseSocketSet(SocketSet *set)
{
    if (set == nullptr) {
        return;
    }
    for (size_t i = 0; i < set->count; ++i) {
        platform::CloseSocket(set->sockets[i]);
    }
    std::free(set->sockets);
    *set = SocketSet{nullptr, 0};
}

int32_t SendToGroup(const DiscoverySession *session, const platform::Socket *sockets, size_t count,
                    const uint8_t *datagram, size_t length)
{
    if (session == nullptr || sockets == nullptr || count == 0 || datagram == nullptr || length == 0) {
        return -1;
    }
    int32_t result = 0;
    // Every socket gets its try, whatever the ones before it did.
    for (size_t i = 0; i < count; ++i) {
        int64_t sent = platform::SendTo(sockets[i], datagram, length, session->groupAddress, session->port);
        if (sent != static_cast<int64_t>(length)) {
            result = -1;
        }
    }
    return result;
}

int32_t ReceiveReply(const DiscoverySession *session, platform::Socket socket, uint16_t expectedType,
                     const uint8_t *target, ReplyRecord *record)
{
    if (session == nullptr || target == nullptr || record == nullptr) {
        return -1;
    }
    uint8_t buffer[kReceiveBufferSize] = {};
    int64_t received = platform::ReceiveDatagram(socket, buffer, sizeof buffer);
    if (received <= 0 || received > static_cast<int64_t>(sizeof buffer)) {
        return -1;
    }
    if (!AcceptReply(session, buffer, static_cast<size_t>(received), expectedType, target, record)) {
        return -1;
    }
    uint32_t localAddress = 0;
    if (!platform::LocalAddressOf(socket, &localAddress)) {
        return -1;
    }
    record->info.interfaceAddress = localAddress;
    return 0;
}

int32_t AwaitReply(DiscoverySession *session, const platform::Socket *sockets, size_t count, platform::Timer *timer,
                   uint16_t expectedType, const uint8_t *target, ReplyRecord *record)
{
    const size_t watched = std::min(count, kMaxWatchedSockets);
    const int32_t pollMs = PollMilliseconds(session->pollInterval);
    bool readable[kMaxWatchedSockets] = {};
    for (;;) {
        if (platform::WaitReadable(sockets, watched, pollMs, readable) < 0) {
            return -1;
        }
        // One datagram per socket and pass, so the timer is looked at even
        // under a flood.
        for (size_t i = 0; i < watched; ++i) {
            InitReplyRecord(session, record);
            if (readable[i] && ReceiveReply(session, sockets[i], expectedType, target, record) == 0) {
                return 0;
            }
        }
        if (platform::TimerFired(timer)) {
            SetSessionError(session, kErrorTimedOut, kMessageTimedOut);
            return -2;
        }
    }
}

int32_t ExchangeOnInterface(DiscoverySession *session, uint32_t localAddress, uint16_t expectedType,
                            const uint8_t *target, const uint8_t *request, size_t length, ReplyRecord *record)
{
    if (session == nullptr || target == nullptr || request == nullptr || length == 0 || record == nullptr) {
        return -1;
    }
    platform::Socket socket = OpenInterfaceSocket(session, localAddress);
    if (socket == platform::kInvalidSocket) {
        return -1;
    }
    platform::Timer *timer = platform::CreateTimer();
    if (timer == nullptr) {
        platform::CloseSocket(socket);
        return -1;
    }
    // A lost request shows up as a time-out, so the send result is not checked.
    SendToGroup(session, &socket, 1, request, length);
    int32_t result = -1;
    if (platform::StartTimer(timer, session->commandTimeout)) {
        result = AwaitReply(session, &socket, 1, timer, expectedType, target, record);
    }
    platform::CloseTimer(timer);
    platform::CloseSocket(socket);
    return result;
}

} // namespace kovr
