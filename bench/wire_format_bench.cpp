// How fast the library takes a reply apart and puts its requests together:
// the acceptance rule over a realistic 200-byte DiscoveryReply, the
// discovery request, and the three command requests in both password modes.
//
//   tests/netlab/isolated build/default/bench/wire_format_bench
#include <arpa/inet.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "discovery/replies.h"
#include "discovery/reply_writer.h"
#include "discovery/requests.h"

namespace {

using namespace kovr;

constexpr KOVR_GUID kLocatorGuid = KOVR_LOCATOR_SESSION_GUID;
const uint8_t kDevice[kMacSize] = {0x02, 0x00, 0x01, 0x00, 0x27, 0x0f};

const Identity &Session()
{
    static const Identity identity{KOVR_MAGIC_LORX, kLocatorGuid};
    return identity;
}

// What a camera on a site network answers: every address, its names, the
// version and advisory, its GUID, and the two opaque fields; 200 bytes.
std::vector<uint8_t> RealisticReply()
{
    const uint8_t opaque[97] = {0x01, 0x07, 0x10};
    const uint8_t guid[16] = {0x85, 0xCE, 0x4A, 0x71, 0x1F, 0x89, 0x4A, 0xA2,
                              0x8B, 0x4D, 0x3B, 0x1F, 0xCE, 0x4D, 0x29, 0x41};
    const uint8_t mode = 1;
    std::vector<uint8_t> reply = ReplyWriter(KOVR_MAGIC_LORX, kDiscoveryReply)
                                     .Field(kTagMacAddress, kDevice, kMacSize)
                                     .Address(kTagIpAddress, inet_addr("10.77.39.15"))
                                     .Address(kTagSubnetMask, inet_addr("255.255.0.0"))
                                     .Address(kTagGatewayAddress, inet_addr("10.77.0.254"))
                                     .Address(kTagDnsAddress, inet_addr("10.77.0.254"))
                                     .Field(kTagDhcpMode, &mode, 1)
                                     .Text(kTagDeviceName, "site-a-camera-9999")
                                     .Text(kTagProductName, "7100-NT")
                                     .Uint(kTagVersion, 0x0200, 2)
                                     .Uint(kTagAdvisory, 0, 2)
                                     .Field(kTagGuid, guid, sizeof guid)
                                     .Field(kTag22, &mode, 1)
                                     .Field(kTag24, opaque, sizeof opaque)
                                     .Finish();
    return reply;
}

void BM_AcceptReply(benchmark::State &state)
{
    const Identity &session = Session();
    const std::vector<uint8_t> reply = RealisticReply();
    ReplyRecord record;
    InitReplyRecord(session, &record);
    for (auto _ : state) {
        const bool accepted = AcceptReply(session, reply.data(), reply.size(), kDiscoveryReply, kAllDevices, &record);
        benchmark::DoNotOptimize(accepted);
        benchmark::ClobberMemory();
    }
    if (!AcceptReply(session, reply.data(), reply.size(), kDiscoveryReply, kAllDevices, &record)) {
        state.SkipWithError("the reply was not accepted");
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::to_string(reply.size()) + "-byte reply");
}
BENCHMARK(BM_AcceptReply);

// As the search worker reads: a fresh record for every datagram.
void BM_InitRecordAndAcceptReply(benchmark::State &state)
{
    const Identity &session = Session();
    const std::vector<uint8_t> reply = RealisticReply();
    ReplyRecord record;
    for (auto _ : state) {
        InitReplyRecord(session, &record);
        const bool accepted = AcceptReply(session, reply.data(), reply.size(), kDiscoveryReply, kAllDevices, &record);
        benchmark::DoNotOptimize(accepted);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InitRecordAndAcceptReply);

void BM_BuildDiscoveryRequest(benchmark::State &state)
{
    const Identity &session = Session();
    uint8_t request[kDiscoveryRequestSize];
    for (auto _ : state) {
        BuildDiscoveryRequest(session, kAllDevices, request);
        benchmark::DoNotOptimize(request);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildDiscoveryRequest);

enum Command { kReboot, kSetNetwork, kSetDhcp };

void BeginCommand(Command command, CommandRequest *request)
{
    switch (command) {
    case kReboot:
        BeginRebootRequest(Session(), kDevice, request);
        break;
    case kSetNetwork: {
        static const uint32_t ip = inet_addr("10.77.39.16");
        static const uint32_t mask = inet_addr("255.255.0.0");
        static const uint32_t gateway = inet_addr("10.77.0.254");
        BeginSetNetworkRequest(Session(), kDevice, ip, mask, gateway, request);
        break;
    }
    case kSetDhcp:
        BeginSetDhcpRequest(Session(), kDevice, 1, request);
        break;
    }
}

// One command request, built whole: the fixed fields, then the digest
// (range 1 = 1) or the password in clear.
void BM_BuildCommandRequest(benchmark::State &state)
{
    const auto command = static_cast<Command>(state.range(0));
    const bool digest = state.range(1) == 1;
    const uint8_t md5[kDigestSize] = {0x5d, 0x41, 0x40, 0x2a};
    static const char kPassword[] = "correct horse";
    CommandRequest request;
    for (auto _ : state) {
        BeginCommand(command, &request);
        if (digest) {
            FinishDigestRequest(Session(), &request, md5);
        } else {
            FinishPlainRequest(&request, kPassword, sizeof kPassword - 1);
        }
        benchmark::DoNotOptimize(request.length);
        benchmark::ClobberMemory();
    }
    static const char *const kNames[] = {"Reboot", "SetNetwork", "SetDhcp"};
    state.SetLabel(std::string(kNames[command]) + (digest ? ", digest" : ", plain") + ", " +
                   std::to_string(request.length) + " bytes");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildCommandRequest)->ArgsProduct({{kReboot, kSetNetwork, kSetDhcp}, {1, 0}});

} // namespace

BENCHMARK_MAIN();
