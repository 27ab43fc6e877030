#include "discovery/transport.h"

#include <algorithm>
#include <memory>

namespace kovr {

namespace {

TransportStatus Failed(platform::SystemError error)
{
    return {Outcome::Failed, error};
}

} // namespace

int32_t PollMilliseconds(std::chrono::microseconds interval)
{
    // Rounded up and at least 1 ms: a wait of 0 would turn the caller's
    // polling loop into a busy loop.
    const int64_t milliseconds = std::chrono::ceil<std::chrono::milliseconds>(interval).count();
    return static_cast<int32_t>(std::clamp<int64_t>(milliseconds, 1, INT32_MAX));
}

void FillLocalAddressList(std::vector<uint32_t> *addresses, const std::vector<platform::InterfaceAddress> &interfaces)
{
    addresses->clear();
    // Loopback reaches no device, so it is used only on a host with nothing
    // else. An interface without multicast can't carry a request at all.
    for (bool loopbackPass : {false, true}) {
        for (const platform::InterfaceAddress &entry : interfaces) {
            // 0.0.0.0 names no interface: a socket bound to it would send anywhere.
            if (entry.up && entry.multicast && entry.loopback == loopbackPass && entry.address != 0 &&
                std::find(addresses->begin(), addresses->end(), entry.address) == addresses->end()) {
                addresses->push_back(entry.address);
            }
        }
        if (!addresses->empty()) {
            break;
        }
    }
}

platform::SystemError EnumerateLocalAddresses(std::vector<uint32_t> *addresses)
{
    addresses->clear();
    std::vector<platform::InterfaceAddress> interfaces;
    const platform::SystemError error = platform::ListInterfaceAddresses(&interfaces);
    if (error != platform::kNoError) {
        return error;
    }
    FillLocalAddressList(addresses, interfaces);
    return platform::kNoError;
}

platform::SystemError OpenInterfaceSocket(const TransportSettings &settings, uint32_t localAddress,
                                          platform::Socket *socket)
{
    platform::SystemError error = platform::CreateUdpSocket(socket);
    if (error != platform::kNoError) {
        return error;
    }
    error = platform::BindSocket(*socket, localAddress);
    if (error == platform::kNoError) {
        error = platform::SetMulticastInterface(*socket, localAddress);
    }
    if (error == platform::kNoError) {
        error = platform::SetMulticastTtl(*socket, settings.multicastTtl);
    }
    if (error == platform::kNoError) {
        error = platform::SetNonBlocking(*socket);
    }
    if (error != platform::kNoError) {
        platform::CloseSocket(*socket);
        *socket = platform::kInvalidSocket;
    }
    return error;
}

void SocketSet::Close()
{
    for (platform::Socket socket : sockets_) {
        platform::CloseSocket(socket);
    }
    sockets_.clear();
}

TransportStatus OpenSocketSet(const TransportSettings &settings, SocketSet *set)
{
    set->Close();
    std::vector<uint32_t> addresses;
    const platform::SystemError lookup = EnumerateLocalAddresses(&addresses);
    if (lookup != platform::kNoError) {
        return Failed(lookup);
    }
    if (addresses.empty()) {
        return {Outcome::NoLocalAddress, platform::kNoError};
    }
    set->sockets_.reserve(addresses.size());
    for (uint32_t address : addresses) {
        platform::Socket socket = platform::kInvalidSocket;
        const platform::SystemError error = OpenInterfaceSocket(settings, address, &socket);
        if (error != platform::kNoError) {
            // A set is whole or absent: never hand out one with a gap.
            set->Close();
            return Failed(error);
        }
        set->sockets_.push_back(socket);
    }
    return {Outcome::Accepted, platform::kNoError};
}

bool SendToGroup(const TransportSettings &settings, const platform::Socket *sockets, size_t count,
                 const uint8_t *datagram, size_t length)
{
    bool allSent = true;
    // Every socket gets its try, whatever the ones before it did.
    for (size_t i = 0; i < count; ++i) {
        const int64_t sent = platform::SendTo(sockets[i], datagram, length, settings.groupAddress, settings.port);
        if (sent != static_cast<int64_t>(length)) {
            allSent = false;
        }
    }
    return allSent;
}

bool ReceiveReply(const Identity &identity, platform::Socket socket, uint16_t expectedType,
                  const uint8_t target[kMacSize], ReplyRecord *record)
{
    uint8_t buffer[kReceiveBufferSize] = {};
    const int64_t received = platform::ReceiveDatagram(socket, buffer, sizeof buffer);
    if (received <= 0 || received > static_cast<int64_t>(sizeof buffer)) {
        return false;
    }
    if (!AcceptReply(identity, buffer, static_cast<size_t>(received), expectedType, target, record)) {
        return false;
    }
    uint32_t localAddress = 0;
    if (!platform::LocalAddressOf(socket, &localAddress)) {
        return false;
    }
    record->info.interfaceAddress = localAddress;
    return true;
}

TransportStatus AwaitReply(const Identity &identity, const TransportSettings &settings, const platform::Socket *sockets,
                           size_t count, platform::Timer &timer, uint16_t expectedType, const uint8_t target[kMacSize],
                           ReplyRecord *record)
{
    const size_t watched = std::min(count, kMaxWatchedSockets);
    const int32_t pollMs = PollMilliseconds(settings.pollInterval);
    bool readable[kMaxWatchedSockets] = {};
    for (;;) {
        platform::SystemError error = platform::kNoError;
        if (platform::WaitReadable(sockets, watched, pollMs, readable, nullptr, &error) < 0) {
            return Failed(error);
        }
        // One datagram per socket and pass, so the timer is looked at even
        // under a flood.
        for (size_t i = 0; i < watched; ++i) {
            InitReplyRecord(identity, record);
            if (readable[i] && ReceiveReply(identity, sockets[i], expectedType, target, record)) {
                return {Outcome::Accepted, platform::kNoError};
            }
        }
        if (timer.Fired()) {
            return {Outcome::TimedOut, platform::kNoError};
        }
    }
}

TransportStatus ExchangeOnInterface(const Identity &identity, const TransportSettings &settings,
                                    std::chrono::milliseconds timeout, uint32_t localAddress, uint16_t expectedType,
                                    const uint8_t target[kMacSize], const uint8_t *request, size_t length,
                                    ReplyRecord *record)
{
    platform::Socket socket = platform::kInvalidSocket;
    platform::SystemError error = OpenInterfaceSocket(settings, localAddress, &socket);
    if (error != platform::kNoError) {
        return Failed(error);
    }
    std::unique_ptr<platform::Timer> timer = platform::Timer::Create(&error);
    TransportStatus status = Failed(error);
    if (timer != nullptr) {
        // A lost request shows up as a time-out, so the send result is not checked.
        SendToGroup(settings, &socket, 1, request, length);
        error = timer->Start(timeout);
        status = error == platform::kNoError
                     ? AwaitReply(identity, settings, &socket, 1, *timer, expectedType, target, record)
                     : Failed(error);
    }
    platform::CloseSocket(socket);
    return status;
}

} // namespace kovr
