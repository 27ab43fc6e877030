#include "discovery/platform/fault_injection.h"

#include <atomic>
#include <cstddef>

namespace kovr::platform {

namespace {

// remaining > 0 counts down to the failing attempt, 0 is disarmed, and
// kFailing means every attempt fails until the fault is disarmed.
constexpr int kFailing = -1;

struct FaultState {
    std::atomic<int> remaining{0};
    std::atomic<bool> every{false};
};

FaultState g_faults[static_cast<size_t>(Fault::kCount)];

FaultState &StateOf(Fault fault)
{
    return g_faults[static_cast<size_t>(fault)];
}

} // namespace

void ArmFault(Fault fault, int nth, bool every)
{
    FaultState &state = StateOf(fault);
    state.every.store(every, std::memory_order_relaxed);
    state.remaining.store(nth > 0 ? nth : 0, std::memory_order_release);
}

void DisarmAllFaults()
{
    for (FaultState &state : g_faults) {
        state.remaining.store(0, std::memory_order_release);
    }
}

bool ShouldFail(Fault fault)
{
    FaultState &state = StateOf(fault);
    int remaining = state.remaining.load(std::memory_order_acquire);
    while (remaining != 0) {
        if (remaining == kFailing) {
            return true;
        }
        const int next = remaining > 1 ? remaining - 1 : (state.every.load(std::memory_order_relaxed) ? kFailing : 0);
        if (state.remaining.compare_exchange_weak(remaining, next, std::memory_order_acq_rel)) {
            return remaining == 1;
        }
    }
    return false;
}

} // namespace kovr::platform
