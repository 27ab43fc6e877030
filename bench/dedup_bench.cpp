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

#include <memory>

#include "discovery/reply_intake.h"
#include "discovery/search.h"

namespace {

using namespace kovr;

const Identity kIdentity{KOVR_MAGIC_LORX, KOVR_LOCATOR_SESSION_GUID};

using Records = std::vector<std::unique_ptr<ReplyRecord>>;

// Both replies of every device, first replies first.
Records Replies(int devices)
{
    Records records;
    for (int copy = 0; copy < 2; ++copy) {
        for (int device = 0; device < devices; ++device) {
            std::unique_ptr<ReplyRecord> record = AllocateRecord(kIdentity);
            if (record == nullptr) {
                std::fprintf(stderr, "dedup_bench: out of memory\n");
                std::exit(1);
            }
            const uint8_t mac[kMacSize] = {0x02,
                                           0x00,
                                           0x01,
                                           static_cast<uint8_t>(device >> 16),
                                           static_cast<uint8_t>(device >> 8),
                                           static_cast<uint8_t>(device)};
            std::copy(mac, mac + kMacSize, record->info.macAddress);
            records.push_back(std::move(record));
        }
    }
    return records;
}

void BM_IndexedDeduplication(benchmark::State &state)
{
    const int devices = static_cast<int>(state.range(0));
    ResultQueue results;
    for (auto _ : state) {
        state.PauseTiming();
        Records records = Replies(devices);
        state.ResumeTiming();
        QueuedDevices queued;
        const Intake intake{kIdentity, results, true, queued};
        for (std::unique_ptr<ReplyRecord> &record : records) {
            QueueReply(intake, std::move(record));
        }
        state.PauseTiming();
        if (results.Count() != devices) {
            state.SkipWithError("wrong number of devices queued");
        }
        DiscardResults(results);
        records.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * devices);
}
BENCHMARK(BM_IndexedDeduplication)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

void BM_LinearDeduplication(benchmark::State &state)
{
    const int devices = static_cast<int>(state.range(0));
    ResultQueue results;
    for (auto _ : state) {
        state.PauseTiming();
        Records records = Replies(devices);
        state.ResumeTiming();
        for (std::unique_ptr<ReplyRecord> &record : records) {
            const uint8_t *mac = record->info.macAddress;
            const bool queued = results.VisitFirst(
                [mac](const std::unique_ptr<ReplyRecord> &item) { return CompareMacAddress(mac, *item) == 0; },
                [](const std::unique_ptr<ReplyRecord> &) {});
            if (!queued) {
                results.Append(std::move(record));
            }
        }
        state.PauseTiming();
        DiscardResults(results);
        records.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 2 * devices);
}
BENCHMARK(BM_LinearDeduplication)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
