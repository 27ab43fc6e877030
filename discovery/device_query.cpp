// Asking one device for its record, and finding the interface that reaches it.
#include <cerrno>
#include <cstring>

#include "command_errors.h"
#include "commands.h"
#include "guarded_list.h"
#include "platform/timer.h"
#include "session.h"
#include "transport.h"
#include "wire_format.h"

namespace kovr {

namespace {

// The number of local addresses and the first of them; false, with the
// system's reason, when the lookup itself failed.
bool LookUpLocalAddresses(int32_t *count, uint32_t *first, int *systemError)
{
    errno = 0;
    GuardedList *list = CreateList();
    bool lookupFailed = list == nullptr;
    if (!lookupFailed) {
        *count = EnumerateLocalAddresses(list, &lookupFailed);
    }
    if (lookupFailed) {
        *systemError = list == nullptr ? ENOMEM : errno;
        DestroyList(list);
        return false;
    }
    if (*count > 0) {
        *first = ItemAddress(EntryAt(list, 0));
    }
    DestroyList(list);
    return true;
}

// Tells "no address" apart from a socket that could not be opened.
void RecordSocketSetFailure(DiscoverySession *session, int systemError)
{
    int32_t count = 0;
    uint32_t first = 0;
    // A failed lookup replaces the socket's reason with its own.
    if (LookUpLocalAddresses(&count, &first, &systemError) && count == 0) {
        SetSessionError(session, kErrorLocal, kMessageNoLocalAddress);
    } else {
        RecordNetworkError(session, systemError);
    }
}

} // namespace

int32_t QueryDevice(DiscoverySession *session, const uint8_t *target, ReplyRecord *record)
{
    if (session == nullptr || target == nullptr || record == nullptr) {
        return -1;
    }
    if (RefuseAllDevices(session, target)) {
        return -1;
    }
    SocketSet set{};
    errno = 0;
    if (!OpenSocketSet(session, &set)) {
        RecordSocketSetFailure(session, errno);
        return -1;
    }
    errno = 0;
    platform::Timer *timer = platform::CreateTimer();
    if (timer == nullptr) {
        RecordNetworkError(session, errno);
        CloseSocketSet(&set);
        return -1;
    }
    uint8_t request[kDiscoveryRequestSize];
    BuildDiscoveryRequest(session, target, request);
    // A lost request shows as a time-out; the send result is not needed.
    SendToGroup(session, set.sockets, set.count, request, sizeof request);
    int32_t result;
    errno = 0;
    if (platform::StartTimer(timer, session->queryTimeout)) {
        errno = 0;
        result = AwaitReply(session, set.sockets, set.count, timer, kDiscoveryReply, target, record);
        if (result == -1) {
            RecordNetworkError(session, errno);
        }
    } else {
        // Without a running timer the wait would never end.
        RecordNetworkError(session, errno);
        result = -1;
    }
    platform::CloseTimer(timer);
    CloseSocketSet(&set);
    return result;
}

bool SelectLocalAddress(DiscoverySession *session, const uint8_t *target, uint32_t *localAddress)
{
    if (session == nullptr || target == nullptr || localAddress == nullptr) {
        return false;
    }
    if (RefuseAllDevices(session, target)) {
        return false;
    }
    int32_t count = 0;
    uint32_t first = 0;
    int systemError = 0;
    if (!LookUpLocalAddresses(&count, &first, &systemError)) {
        RecordNetworkError(session, systemError);
        return false;
    }
    if (count == 0) {
        SetSessionError(session, kErrorLocal, kMessageNoLocalAddress);
        return false;
    }
    if (count == 1) {
        *localAddress = first;
        return true;
    }
    // Several interfaces: the one on which the device answers is the one
    // whose multicast reaches it. The query records its own failure.
    ReplyRecord reply;
    InitReplyRecord(session, &reply);
    if (QueryDevice(session, target, &reply) != 0) {
        return false;
    }
    *localAddress = reply.info.interfaceAddress;
    return true;
}

int32_t FetchAuthNonce(DiscoverySession *session, const uint8_t *target, AuthNonce *nonce)
{
    if (session == nullptr || target == nullptr || nonce == nullptr) {
        return -1;
    }
    if (RefuseAllDevices(session, target)) {
        return -1;
    }
    ReplyRecord reply;
    InitReplyRecord(session, &reply);
    // A failed query has recorded why (for instance "Operation timed out").
    if (QueryDevice(session, target, &reply) != 0) {
        return -1;
    }
    // No challenge: the device takes the password in plain (length stays 0).
    if ((reply.info.presentFields & KOVR_FIELD_NONCE) != 0) {
        nonce->length = reply.info.nonceLength;
        std::memcpy(nonce->bytes, reply.info.nonce, sizeof nonce->bytes);
    }
    return 0;
}

} // namespace kovr
