// One synchronous search, as the Windows build runs it (under Wine, in the
// lab that bench/windows/compare-search builds), with the figures of the
// Linux search_bench that can be read from inside a Windows process: the
// devices found, how long the search ran past its idle limit after the last
// result was queued, the process's CPU time during the search, and its peak
// working set. A watcher thread reads the result count every millisecond to
// learn when the last result was queued; its own CPU time is left out.
//
//   search_bench_win.exe [--idle=MS] [--total=MS] N
//
// Exits non-zero when the search found other than N devices.
#include <windows.h>

#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "kovr/kovr.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double Milliseconds(const FILETIME &time)
{
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    return static_cast<double>(ticks.QuadPart) / 10000.0; // 100 ns ticks
}

// User and kernel time of a process or thread, in ms.
double ProcessCpuMs()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return Milliseconds(kernel) + Milliseconds(user);
}

double ThreadCpuMs(HANDLE thread)
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(thread, &created, &exited, &kernel, &user);
    return Milliseconds(kernel) + Milliseconds(user);
}

// Notes when the session's result count last grew, until told to stop.
struct CountWatch {
    KOVR_HANDLE session = nullptr;
    std::atomic<bool> stop{false};
    int32_t lastCount = 0;
    Clock::time_point lastGrowth{};

    static DWORD WINAPI Run(void *self)
    {
        auto *watch = static_cast<CountWatch *>(self);
        while (!watch->stop.load()) {
            const int32_t count = KOVRGetSearchResultCount(watch->session);
            if (count > watch->lastCount) {
                watch->lastCount = count;
                watch->lastGrowth = Clock::now();
            }
            Sleep(1);
        }
        return 0;
    }
};

bool OptionValue(const std::string &argument, const std::string &name, uint32_t *value)
{
    const std::string prefix = name + "=";
    if (argument.rfind(prefix, 0) != 0) {
        return false;
    }
    *value = static_cast<uint32_t>(std::strtoul(argument.c_str() + prefix.size(), nullptr, 10));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    uint32_t idleMs = 5000;
    uint32_t totalMs = 60000;
    int expected = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (!OptionValue(argument, "--idle", &idleMs) && !OptionValue(argument, "--total", &totalMs)) {
            expected = std::atoi(argument.c_str());
        }
    }
    if (expected <= 0 || idleMs == 0 || totalMs == 0) {
        std::fprintf(stderr, "usage: search_bench_win [--idle=MS] [--total=MS] N\n");
        return 2;
    }

    const KOVR_GUID locator = KOVR_LOCATOR_SESSION_GUID;
    CountWatch watch;
    watch.session = KOVROpenByGuid(&locator);
    if (watch.session == nullptr) {
        std::fprintf(stderr, "search_bench_win: no session\n");
        return 1;
    }
    const HANDLE watcher = CreateThread(nullptr, 0, &CountWatch::Run, &watch, 0, nullptr);
    if (watcher == nullptr) {
        KOVRClose(watch.session);
        return 1;
    }

    const double cpuBefore = ProcessCpuMs();
    const double watcherBefore = ThreadCpuMs(watcher);
    const Clock::time_point start = Clock::now();
    const int32_t found = KOVRStartSyncSearchEx(watch.session, idleMs, totalMs);
    const Clock::time_point end = Clock::now();
    watch.stop = true;
    WaitForSingleObject(watcher, INFINITE);
    const double searchCpuMs = ProcessCpuMs() - cpuBefore - (ThreadCpuMs(watcher) - watcherBefore);
    CloseHandle(watcher);
    KOVRClose(watch.session);

    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    const double lastQueuedMs = watch.lastCount > 0 ? MillisecondsBetween(start, watch.lastGrowth) : 0;
    std::printf("| %d | %d/%d | %.1f | %.1f | %.1f | %.1f | %zu |\n", expected, found, expected, lastQueuedMs,
                MillisecondsBetween(start, end), MillisecondsBetween(start, end) - lastQueuedMs - idleMs, searchCpuMs,
                memory.PeakWorkingSetSize / 1024);
    return found == expected ? 0 : 1;
}
