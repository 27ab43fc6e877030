// What a synchronous search pays to list each device once: N devices each
// answer twice (as over two interfaces); every first reply is queued, every
// second one found and released. The index by MAC that the worker keeps,
// against the walk of the queue that it replaced (FindFirst with the MAC
// comparison) for reference. Records are made outside the timing.
//
//   tests/netlab/isolated build/default/bench/dedup_bench
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "guarded_list.h"
#include "reply_intake.h"
#include "search.h"
#include "session.h"
#include "wire_format.h"

namespace {

using namespace kovr;

constexpr KOVR_GUID kLocatorGuid = KOVR_LOCATOR_SESSION_GUID;

// Both replies of every device, first replies first.
std::vector<ReplyRecord *> Replies(const DiscoverySession *session, int devices)
{
    std::vector<ReplyRecord *> records;
    for (int copy = 0; copy < 2; ++copy) {
        for (int device = 0; device < devices; ++device) {
            ReplyRecord *record = AllocateRecord(session);
            if (record == nullptr) {
                std::fprintf(stderr, "dedup_bench: out of memory\n");
                std::exit(1);
            }
            const uint8_t mac[kMacSize] = {0x02, 0x00, 0x01, static_cast<uint8_t>(device >> 16),
                                           static_cast<uint8_t>(device >> 8), static_cast<uint8_t>(device)};
            std::copy(mac, mac + kMacSize, record->info.macAddress);
            records.push_back(record);
        }
    }
    return records;
}

void BM_IndexedDeduplication(benchmark::State &state)
{
    const int devices = static_cast<int>(state.range(0));
    DiscoverySession *session = CreateSession(kMagicLorx, &kLocatorGuid);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<ReplyRecord *> records = Replies(session, devices);
        state.ResumeTiming();
        QueuedDevices queued;
        for (ReplyRecord *record : records) {
            QueueReply(session, queued, record);
        }
        state.PauseTiming();
        if (Count(session->results) != devices) {
            state.SkipWithError("wrong number of devices queued");
        }
        DiscardResults(session->results);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * devices);
    DestroySession(session);
}
BENCHMARK(BM_IndexedDeduplication)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_LinearDeduplication(benchmark::State &state)
{
    const int devices = static_cast<int>(state.range(0));
    DiscoverySession *session = CreateSession(kMagicLorx, &kLocatorGuid);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<ReplyRecord *> records = Replies(session, devices);
        state.ResumeTiming();
        for (ReplyRecord *record : records) {
            if (FindFirst(session->results, CompareMacAddress, record->info.macAddress) != nullptr ||
                Append(session->results, record) < 0) {
                ReleaseRecord(record);
            }
        }
        state.PauseTiming();
        DiscardResults(session->results);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * devices);
    DestroySession(session);
}
BENCHMARK(BM_LinearDeduplication)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
