// Reply datagrams through the search worker's whole intake: each is sent
// over loopback to a socket opened as the worker opens its own, read by
// ReceiveReply into a fresh record, and queued, de-duplicated by MAC as a
// synchronous search does. Nothing may crash or leak, every queued record
// must be one the acceptance rule takes, and no accepted reply may be lost.
//
// Input: a mode byte (bit 0: asynchronous search, which keeps duplicates),
// then datagrams as fuzz_support.h splits them.
#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <set>

#include "discovery/reply_intake.h"
#include "discovery/transport.h"
#include "tests/fuzz/fuzz_support.h"
#include "tests/support/guids.h"

namespace {

using kovr::test::Datagram;
using kovr::test::Require;

// Sent between two drains; well within what the socket's buffer holds.
constexpr size_t kBatch = 32;
const kovr::Identity kIdentity{KOVR_MAGIC_LORX, KOVR_LOCATOR_SESSION_GUID};
// The transport as a session sets it up; only the socket options matter here.
const kovr::TransportSettings kSettings{64, 0, 0, std::chrono::milliseconds(200)};

struct Harness {
    kovr::ResultQueue results;
    kovr::platform::Socket receiver;
    int sender;
    sockaddr_in destination;
};

Harness *g_harness;

uint32_t Loopback()
{
    return htonl(INADDR_LOOPBACK);
}

bool Pending(int socket)
{
    pollfd entry = {socket, POLLIN, 0};
    return poll(&entry, 1, 0) > 0;
}

uint64_t MacKey(const uint8_t *mac)
{
    uint64_t key = 0;
    for (size_t i = 0; i < kovr::kMacSize; ++i) {
        key = key << 8 | mac[i];
    }
    return key;
}

// What the intake should queue: each datagram that fits the receive buffer
// and passes the acceptance rule, each device once unless asynchronous.
size_t ExpectedCount(const std::vector<Datagram> &datagrams, bool asynchronous)
{
    std::set<uint64_t> devices;
    size_t accepted = 0;
    kovr::ReplyRecord record;
    for (const Datagram &datagram : datagrams) {
        kovr::InitReplyRecord(kIdentity, &record);
        if (!datagram.empty() && datagram.size() <= kovr::kReceiveBufferSize &&
            kovr::AcceptReply(kIdentity, datagram.data(), datagram.size(), kovr::kDiscoveryReply, kovr::kAllDevices,
                              &record)) {
            ++accepted;
            devices.insert(MacKey(record.info.macAddress));
        }
    }
    return asynchronous ? accepted : devices.size();
}

void CheckQueue(bool asynchronous, size_t expected)
{
    const int32_t count = g_harness->results.Count();
    Require(count >= 0 && static_cast<size_t>(count) == expected);
    std::set<uint64_t> devices;
    g_harness->results.ForEach([&devices, asynchronous](const std::unique_ptr<kovr::ReplyRecord> &record) {
        const KOVRDeviceInfoRecord &info = record->info;
        Require((info.presentFields & KOVR_FIELD_MAC_ADDRESS) != 0);
        Require(info.interfaceAddress == Loopback());
        Require(info.recordSize == kovr::kRecordSize && info.vendorId == KOVR_MAGIC_LORX);
        Require(info.deviceName[sizeof info.deviceName - 1] == '\0');
        Require(info.productName[sizeof info.productName - 1] == '\0');
        const bool fresh = devices.insert(MacKey(info.macAddress)).second;
        Require(fresh || asynchronous);
    });
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    kovr::test::RequirePrivateNetwork();
    auto *harness = new Harness{};
    Require(kovr::OpenInterfaceSocket(kSettings, Loopback(), &harness->receiver) == kovr::platform::kNoError);
    harness->sender = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    Require(harness->sender >= 0 && getsockname(harness->receiver, reinterpret_cast<sockaddr *>(&local), &length) == 0);
    harness->destination = local;
    g_harness = harness;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const bool asynchronous = (data[0] & 1) != 0;
    const std::vector<Datagram> datagrams = kovr::test::SplitDatagrams(data + 1, size - 1);
    kovr::QueuedDevices queued;
    const kovr::Intake intake{kIdentity, g_harness->results, !asynchronous, queued};
    for (size_t first = 0; first < datagrams.size(); first += kBatch) {
        for (size_t i = first; i < datagrams.size() && i < first + kBatch; ++i) {
            const Datagram &datagram = datagrams[i];
            const ssize_t sent =
                sendto(g_harness->sender, datagram.data(), datagram.size(), 0,
                       reinterpret_cast<const sockaddr *>(&g_harness->destination), sizeof g_harness->destination);
            // Only a datagram too large for UDP itself can't be sent.
            Require(sent == static_cast<ssize_t>(datagram.size()) || datagram.size() > 65507);
        }
        // As the worker does after each wait: drain while anything is readable.
        while (Pending(g_harness->receiver)) {
            kovr::DrainSocket(intake, g_harness->receiver);
        }
    }
    CheckQueue(asynchronous, ExpectedCount(datagrams, asynchronous));
    g_harness->results.Clear();
    return 0;
}
