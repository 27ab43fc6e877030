#include "discovery/reply_intake.h"

#include <algorithm>
#include <new>

#include "discovery/platform/fault_injection.h"
#include "discovery/transport.h"

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

std::unique_ptr<ReplyRecord> AllocateRecord(const Identity &identity)
{
    if (platform::ShouldFail(platform::Fault::RecordAllocation)) {
        return nullptr;
    }
    std::unique_ptr<ReplyRecord> record(new (std::nothrow) ReplyRecord{});
    if (record != nullptr) {
        InitReplyRecord(identity, record.get());
    }
    return record;
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

void QueueReply(const Intake &intake, std::unique_ptr<ReplyRecord> record)
{
    uint8_t mac[kMacSize];
    std::copy(record->info.macAddress, record->info.macAddress + kMacSize, mac);
    if (intake.deduplicate && !intake.queued.Add(mac)) {
        return;
    }
    if (intake.results.Append(std::move(record)) < 0 && intake.deduplicate) {
        intake.queued.Remove(mac);
    }
}

bool DrainSocket(const Intake &intake, platform::Socket socket)
{
    for (int read = 0; read < kMaxReadsPerPass; ++read) {
        std::unique_ptr<ReplyRecord> record = AllocateRecord(intake.identity);
        if (record == nullptr) {
            return false;
        }
        if (!ReceiveReply(intake.identity, socket, kDiscoveryReply, kAllDevices, record.get())) {
            return true;
        }
        QueueReply(intake, std::move(record));
    }
    return true;
}

} // namespace kovr
