// How the search worker takes replies in: every datagram waiting on a
// readable socket is read into a fresh ReplyRecord and, when accepted, put
// into the session's ResultQueue; a synchronous search lists each device once.
#pragma once

#include <cstdint>
#include <unordered_set>

#include "platform/net.h"
#include "wire_format.h"

namespace kovr {

struct DiscoverySession;

// A zero-filled, initialised record, or none when memory runs out.
ReplyRecord *AllocateRecord(const DiscoverySession *session);
void ReleaseRecord(ReplyRecord *record);

// The devices that one synchronous search has queued, by MAC. Looking a
// reply up here instead of walking the queue keeps the cost of each reply
// flat, so that the worker keeps up with thousands of devices answering at
// once. Only the worker appends to the queue while a search runs, and the
// caller waits, so the index and the queue agree.
class QueuedDevices {
public:
    // False when the device is queued already, or when there is no memory
    // to remember it (then the reply is dropped like one the queue refuses).
    bool Add(const uint8_t mac[kMacSize]);
    void Remove(const uint8_t mac[kMacSize]);

private:
    std::unordered_set<uint64_t> macs_;
};

// Queues an accepted reply, or releases it (a duplicate in a synchronous
// search, or one the queue refuses). The record is no longer the caller's.
void QueueReply(DiscoverySession *session, QueuedDevices &queued, ReplyRecord *record);
// The most datagrams read from one socket in one pass. A socket that never
// runs dry, under a flood of acceptable replies, must still let the worker
// look at its stop event; what is left waits in the socket for the next pass.
constexpr int kMaxReadsPerPass = 256;

// Reads the socket until a datagram is rejected, nothing is waiting, or
// kMaxReadsPerPass datagrams have been read. Without a record to read into,
// the socket is left for the next pass and the result is false.
bool DrainSocket(DiscoverySession *session, QueuedDevices &queued, platform::Socket socket);

} // namespace kovr
