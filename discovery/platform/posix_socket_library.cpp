#include "discovery/platform/socket_library.h"

#include <atomic>

#include "discovery/platform/fault_injection.h"

namespace kovr::platform {

namespace {
std::atomic<int> g_starts{0};
} // namespace

bool StartSocketLibrary()
{
    if (ShouldFail(Fault::SocketLibraryStart)) {
        return false;
    }
    g_starts.fetch_add(1, std::memory_order_relaxed);
    return true;
}

void ReleaseSocketLibrary()
{
    // A release without a start is ignored, as the platform call would refuse it.
    int starts = g_starts.load(std::memory_order_relaxed);
    while (starts > 0 && !g_starts.compare_exchange_weak(starts, starts - 1, std::memory_order_relaxed)) {
    }
}

int SocketLibraryStarts()
{
    return g_starts.load(std::memory_order_relaxed);
}

} // namespace kovr::platform
