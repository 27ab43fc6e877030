#include "reply_intake.h"

#include <cstdlib>
#include <new>

#include "guarded_list.h"
#include "platform/fault_injection.h"
#include "search.h"
#include "session.h"
#include "transport.h"

namespace kovr {

namespace {

uint64_t MacKey(const uint8_t mac[kMacSize])
{
    uint64_t key = 0;
    for (size_t i = 0; i < kMacSize; ++i) {
        key = key << 8 | mac[i];
    }
    return key;
}

} // namespace

ReplyRecord *AllocateRecord(const DiscoverySession *session)
{
    if (platform::ShouldFail(platform::Fault::RecordAllocation)) {
        return nullptr;
    }
    auto *record = static_cast<ReplyRecord *>(std::calloc(1, sizeof(ReplyRecord)));
    if (record != nullptr) {
        InitReplyRecord(session, record);
    }
    return record;
}

void ReleaseRecord(ReplyRecord *record)
{
    std::free(record);
}

bool QueuedDevices::Add(const uint8_t mac[kMacSize])
{
    try {
        return macs_.insert(MacKey(mac)).second;
    } catch (const std::bad_alloc &) { // untestable: out of memory
        return false;                  // untestable: out of memory
    }
}

void QueuedDevices::Remove(const uint8_t mac[kMacSize])
{
    macs_.erase(MacKey(mac));
}

// A synchronous search lists each device once, keeping its first reply; an
// asynchronous one hands out every reply, one per interface that heard it.
void QueueReply(DiscoverySession *session, QueuedDevices &queued, ReplyRecord *record)
{
    const bool deduplicate = !IsAsynchronous(session);
    if (deduplicate && !queued.Add(record->info.macAddress)) {
        ReleaseRecord(record);
        return;
    }
    // A record just allocated cannot be queued already.
    if (AppendNew(session->results, record) < 0) {
        if (deduplicate) {
            queued.Remove(record->info.macAddress);
        }
        ReleaseRecord(record);
    }
}

bool DrainSocket(DiscoverySession *session, QueuedDevices &queued, platform::Socket socket)
{
    for (int read = 0; read < kMaxReadsPerPass; ++read) {
        ReplyRecord *record = AllocateRecord(session);
        if (record == nullptr) {
            return false;
        }
        if (ReceiveReply(session, socket, kDiscoveryReply, kAllDevices, record) != 0) {
            ReleaseRecord(record);
            return true;
        }
        QueueReply(session, queued, record);
    }
    return true;
}

} // namespace kovr
