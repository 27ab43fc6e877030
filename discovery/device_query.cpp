// Asking one device for its record, and finding the interface that reaches it.
#include <cstring>
#include <memory>

#include "discovery/command_errors.h"
#include "discovery/commands.h"

namespace kovr {

int32_t QueryDevice(const DeviceContext &context, const uint8_t target[kMacSize], ReplyRecord *record)
{
    if (RefuseAllDevices(context.errors, target)) {
        return KOVR_FAILED;
    }
    SocketSet set;
    TransportStatus status = OpenSocketSet(context.transport, &set);
    if (status.outcome != Outcome::Accepted) {
        return RecordTransportFailure(context.errors, status);
    }
    platform::SystemError error = platform::kNoError;
    std::unique_ptr<platform::Timer> timer = platform::Timer::Create(&error);
    if (timer == nullptr) {
        context.errors.RecordNetworkError(error);
        return KOVR_FAILED;
    }
    uint8_t request[kDiscoveryRequestSize];
    BuildDiscoveryRequest(context.identity, target, request);
    // A lost request shows as a time-out; the send result is not needed.
    SendToGroup(context.transport, set.sockets(), set.count(), request, sizeof request);
    error = timer->Start(context.limits.queryTimeout);
    if (error != platform::kNoError) {
        // Without a running timer the wait would never end.
        context.errors.RecordNetworkError(error);
        return KOVR_FAILED;
    }
    status = AwaitReply(context.identity, context.transport, set.sockets(), set.count(), *timer, kDiscoveryReply,
                        target, record);
    return status.outcome == Outcome::Accepted ? 0 : RecordTransportFailure(context.errors, status);
}

bool SelectLocalAddress(const DeviceContext &context, const uint8_t target[kMacSize], uint32_t *localAddress)
{
    if (RefuseAllDevices(context.errors, target)) {
        return false;
    }
    std::vector<uint32_t> addresses;
    const platform::SystemError error = EnumerateLocalAddresses(&addresses);
    if (error != platform::kNoError) {
        context.errors.RecordNetworkError(error);
        return false;
    }
    if (addresses.empty()) {
        context.errors.Record(Status::NoLocalAddress);
        return false;
    }
    if (addresses.size() == 1) {
        *localAddress = addresses.front();
        return true;
    }
    // Several interfaces: the one on which the device answers is the one
    // whose multicast reaches it. The query records its own failure.
    ReplyRecord reply;
    InitReplyRecord(context.identity, &reply);
    if (QueryDevice(context, target, &reply) != 0) {
        return false;
    }
    *localAddress = reply.info.interfaceAddress;
    return true;
}

int32_t FetchAuthNonce(const DeviceContext &context, const uint8_t target[kMacSize], AuthNonce *nonce)
{
    if (RefuseAllDevices(context.errors, target)) {
        return KOVR_FAILED;
    }
    ReplyRecord reply;
    InitReplyRecord(context.identity, &reply);
    // A failed query has recorded why (for instance "Operation timed out").
    if (QueryDevice(context, target, &reply) != 0) {
        return KOVR_FAILED;
    }
    // No challenge: the device takes the password in plain (length stays 0).
    if ((reply.info.presentFields & KOVR_FIELD_NONCE) != 0) {
        nonce->length = reply.info.nonceLength;
        std::memcpy(nonce->bytes, reply.info.nonce, sizeof nonce->bytes);
    }
    return 0;
}

} // namespace kovr
