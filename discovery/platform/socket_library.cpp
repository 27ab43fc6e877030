#include "discovery/platform/socket_library.h"

#include <atomic>

#include "discovery/platform/fault_injection.h"

namespace kovr::platform {

namespace {
std::atomic<int> g_starts{0};
} // namespace

bool StartSocketLibrary()
{
    if (ShouldFail(Fault::SocketLibraryStart) || !StartSystemSocketLibrary()) {
        return false;
    }
    g_starts.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void ReleaseSocketLibrary()
{
    // A release without a start is ignored, as the platform call would refuse it.
    int starts = g_starts.load(std::memory_order_relaxed);
    while (starts > 0) {
        if (g_starts.compare_exchange_weak(starts, starts - 1, std::memory_order_relaxed)) {
            ReleaseSystemSocketLibrary();
            return;
        }
    }
}

int SocketLibraryStarts()
{
    return g_starts.load(std::memory_order_relaxed);
}

} // namespace kovr::platform
