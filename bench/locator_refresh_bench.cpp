// The main window's Refresh List among DEVICES simulated devices: from the
// click to the last row shown, and, apart from the search, the showing of
// that many results (rows, conflict marks, selection) in the window. The
// devices share addresses in tens, so every row carries a mark.
//
// Run it inside a private namespace:
//   tests/netlab/isolated build/default/bench/locator_refresh_bench [DEVICES [RUNS]]
#include "locator/core/library_seam.h"
#include "locator/locator_dialog.h"
#include "tests/support/lab.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace kovr::locator;

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    // The window pins devices in a state folder of the run's own.
    const QTemporaryDir state;
    qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
    const int devices = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    if (devices < 1 || devices > 10000 || runs < 1) {
        std::fprintf(stderr, "usage: locator_refresh_bench [DEVICES (1 to 10000) [RUNS]]\n");
        return 2;
    }
    std::vector<nlohmann::json> entries;
    for (int i = 1; i <= devices; ++i) {
        entries.push_back(kovr::test::DeviceJson(i));
    }
    kovr::test::Lab lab{kovr::test::Topology::Single};
    kovr::test::Simulator simulator{lab, kovr::test::Devices(entries)};
    LocatorDialog window(RealLibrary());
    window.show();
    const auto listed = [&] { return !window.IsSearching() && window.List()->topLevelItemCount() == devices; };
    if (!QTest::qWaitFor(listed, 120000)) {
        std::fprintf(stderr, "locator_refresh_bench: the first search didn't list %d devices\n", devices);
        return 1;
    }
    SearchJob::Found found;
    for (int i = 0; window.DeviceAt(i); ++i) {
        found.devices.push_back(*window.DeviceAt(i));
    }

    std::vector<double> refresh;
    std::vector<double> show;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point clicked = Clock::now();
        window.RefreshList();
        if (!QTest::qWaitFor(listed, 120000)) {
            std::fprintf(stderr, "locator_refresh_bench: a refresh didn't list %d devices\n", devices);
            return 1;
        }
        refresh.push_back(Milliseconds(clicked));

        window.DeleteAllRows();
        const Clock::time_point start = Clock::now();
        window.OnShowResults(found);
        window.List()->repaint();
        show.push_back(Milliseconds(start));
    }
    std::printf("locator_refresh_bench: %d devices, %d runs: click to last row %.0f ms (median), "
                "showing the results %.1f ms (median), %.1f ms (best)\n",
                devices, runs, Median(refresh), Median(show), *std::min_element(show.begin(), show.end()));
    window.reject();
    return 0;
}
