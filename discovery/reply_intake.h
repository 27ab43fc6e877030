// How the search worker takes replies in: every datagram waiting on a
// readable socket is read into a fresh ReplyRecord and, when accepted, put
// into the ResultQueue; a synchronous search lists each device once.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_set>

#include "discovery/guarded_list.h"
#include "discovery/platform/net.h"
#include "discovery/replies.h"

namespace kovr {

// A session's found devices, oldest first. Whoever takes a record out owns it.
using ResultQueue = GuardedList<std::unique_ptr<ReplyRecord>>;

// A zero-filled, initialised record, or none when memory runs out.
std::unique_ptr<ReplyRecord> AllocateRecord(const Identity &identity);

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

// Where the worker puts what it reads, and how.
struct Intake {
    const Identity &identity;
    ResultQueue &results;
    // A synchronous search lists each device once, keeping its first reply;
    // an asynchronous one hands out every reply, one per interface that heard it.
    bool deduplicate;
    QueuedDevices &queued;
};

// Queues an accepted reply, or drops it (a duplicate in a synchronous
// search, or one the queue refuses).
void QueueReply(const Intake &intake, std::unique_ptr<ReplyRecord> record);
// The most datagrams read from one socket in one pass. A socket that never
// runs dry, under a flood of acceptable replies, must still let the worker
// look at its stop event; what is left waits in the socket for the next pass.
constexpr int kMaxReadsPerPass = 256;

// Reads the socket until a datagram is rejected, nothing is waiting, or
// kMaxReadsPerPass datagrams have been read. Without a record to read into,
// the socket is left for the next pass and the result is false.
bool DrainSocket(const Intake &intake, platform::Socket socket);

} // namespace kovr
