// kovr-locator.exe's Refresh List as another process sees it (under Wine,
// in the lab that bench/windows/compare-locator-refresh builds): from the
// click to the last row in the list, and, all the while, how long the
// window takes to answer a message sent from here. Every 10 ms it sends
// the list LVM_GETITEMCOUNT with SendMessageTimeout; each send's round trip
// is a sample, and the count says when the last row is in.
//
//   locator_refresh_bench_win.exe KOVR-LOCATOR.EXE DEVICES [RUNS]
//
// Exits non-zero when a search lists other than DEVICES rows in 120 s.
#include "locator/core/dialog_template.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace kovr::locator;

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kSampleInterval{10};
constexpr std::chrono::seconds kSearchLimit{120};
constexpr UINT kAnswerLimitMs = 5000;

double Milliseconds(Clock::duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The round trips of the messages sent to the window, in ms, and when the
// slowest was sent (ms after the click) and what it answered.
struct RoundTrips {
    std::vector<double> samples;
    int unanswered = 0;
    Clock::time_point clicked;
    double worstSentAt = 0;
    LRESULT worstCount = 0;

    // The list's row count, or -1 when the window didn't answer in time.
    LRESULT Count(HWND list)
    {
        DWORD_PTR count = 0;
        const Clock::time_point sent = Clock::now();
        const bool answered =
            SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &count) != 0;
        const double took = Milliseconds(Clock::now() - sent);
        if (samples.empty() || took > *std::max_element(samples.begin(), samples.end())) {
            worstSentAt = Milliseconds(sent - clicked);
            worstCount = answered ? static_cast<LRESULT>(count) : -1;
        }
        samples.push_back(took);
        if (!answered) {
            ++unanswered;
            return -1;
        }
        return static_cast<LRESULT>(count);
    }
};

// Samples until the list holds `rows` rows, after some other count when
// `cleared` (a search shows one row, "Searching...", first); the time that
// took, or a negative one when it didn't within the limit.
double WaitForRows(HWND list, LRESULT rows, bool cleared, RoundTrips &trips, Clock::time_point from)
{
    while (Clock::now() - from < kSearchLimit) {
        const LRESULT count = trips.Count(list);
        cleared = cleared || (count >= 0 && count != rows);
        if (cleared && count == rows) {
            return Milliseconds(Clock::now() - from);
        }
        std::this_thread::sleep_for(kSampleInterval);
    }
    return -1;
}

HWND WaitForMainWindow(DWORD process)
{
    const std::wstring title(kLocatorTemplate.caption, kLocatorTemplate.caption + strlen(kLocatorTemplate.caption));
    for (const Clock::time_point start = Clock::now(); Clock::now() - start < kSearchLimit;) {
        for (HWND window = FindWindowW(nullptr, title.c_str()); window;
             window = FindWindowExW(nullptr, window, nullptr, title.c_str())) {
            // Shown once its controls are made.
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == process && IsWindowVisible(window)) {
                return window;
            }
        }
        std::this_thread::sleep_for(kSampleInterval);
    }
    return nullptr;
}

double Percentile(std::vector<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(fraction * static_cast<double>(values.size())))];
}

} // namespace

int main(int argc, char **argv)
{
    const int devices = argc > 2 ? std::atoi(argv[2]) : 0;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 3;
    if (devices < 1 || runs < 1) {
        std::fprintf(stderr, "usage: locator_refresh_bench_win KOVR-LOCATOR.EXE DEVICES [RUNS]\n");
        return 2;
    }
    SetProcessDPIAware();
    std::string line = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION locator{};
    if (!CreateProcessA(argv[1], line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &locator)) {
        std::fprintf(stderr, "locator_refresh_bench_win: cannot start %s\n", argv[1]);
        return 1;
    }
    int status = 1;
    const HWND window = WaitForMainWindow(locator.dwProcessId);
    const HWND list = window ? GetDlgItem(window, ControlId::DeviceList) : nullptr;
    const HWND refresh = window ? GetDlgItem(window, ControlId::RefreshList) : nullptr;
    RoundTrips firstSearch;
    if (!list || !refresh) {
        std::fprintf(stderr, "locator_refresh_bench_win: no main window with its list and Refresh List\n");
    } else if (WaitForRows(list, devices, true, firstSearch, Clock::now()) < 0) {
        std::fprintf(stderr, "locator_refresh_bench_win: the first search didn't list %d devices\n", devices);
    } else {
        std::vector<double> refreshes;
        RoundTrips trips;
        for (int run = 0; run < runs; ++run) {
            const Clock::time_point clicked = Clock::now();
            trips.clicked = clicked;
            // Sent: the list shows "Searching..." when it returns.
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(refresh, BM_CLICK, 0, 0, SMTO_NORMAL, kAnswerLimitMs, &ignored);
            const double took = WaitForRows(list, devices, false, trips, clicked);
            if (took < 0) {
                std::fprintf(stderr, "locator_refresh_bench_win: a refresh didn't list %d devices\n", devices);
                break;
            }
            refreshes.push_back(took);
        }
        if (refreshes.size() == static_cast<size_t>(runs)) {
            std::printf("locator_refresh_bench_win: %d devices, %d runs: click to last row %.0f ms (median), "
                        "%.0f to %.0f ms; %zu messages sent while it searched: round trip %.2f ms (median), "
                        "%.2f ms (99th percentile), %.2f ms (worst: sent %.0f ms after its click, answered %ld rows), "
                        "%d unanswered in %u ms\n",
                        devices, runs, Percentile(refreshes, 0.5),
                        *std::min_element(refreshes.begin(), refreshes.end()),
                        *std::max_element(refreshes.begin(), refreshes.end()), trips.samples.size(),
                        Percentile(trips.samples, 0.5), Percentile(trips.samples, 0.99),
                        *std::max_element(trips.samples.begin(), trips.samples.end()), trips.worstSentAt,
                        static_cast<long>(trips.worstCount), trips.unanswered, kAnswerLimitMs);
            status = trips.unanswered == 0 ? 0 : 1;
        }
    }
    if (window) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(locator.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(locator.hProcess, 1);
    }
    CloseHandle(locator.hProcess);
    CloseHandle(locator.hThread);
    return status;
}
