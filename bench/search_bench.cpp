// Synchronous searches against N simulated devices in a private network lab.
// kovr-sim plays N devices, each answering with a 200-byte DiscoveryReply,
// and spreads the answers evenly over a window (--window=MS, default 1000;
// 10 makes a burst). For each N the table gives the devices found, when
// the replies reached the host's interface, how long the search ran past
// its idle limit after the last one, its CPU time, the datagrams the kernel
// dropped for want of buffer, the memory, and the receive buffer the kernel
// granted the search socket.
//
//   tests/netlab/isolated build/default/bench/search_bench [--window=MS] [--idle=MS]
//       [--unprivileged] [--busy=K] [N...]
//
// --unprivileged searches without CAP_NET_ADMIN, so the system's buffer
// limit (net.core.rmem_max) applies; --busy=K keeps K processes spinning
// during each search.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/search_measure.h"
#include "tests/support/lab.h"

int main(int argc, char **argv)
{
    using namespace kovr::bench;
    std::vector<int> counts;
    std::string windowMs = "1000";
    SearchOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        if (OptionValue(argument, "--window", &windowMs)) {
            continue;
        }
        if (OptionValue(argument, "--idle", &value)) {
            options.idleMs = static_cast<uint32_t>(std::atoi(value.c_str()));
        } else if (OptionValue(argument, "--busy", &value)) {
            options.busyProcesses = std::atoi(value.c_str());
        } else if (argument == "--unprivileged") {
            options.unprivileged = true;
        } else if (!argument.empty() && argument[0] != '-' && std::atoi(argument.c_str()) > 0) {
            counts.push_back(std::atoi(argument.c_str()));
        } else {
            std::fprintf(stderr, "usage: search_bench [--window=MS] [--idle=MS] [--unprivileged] [--busy=K] [N...]\n");
            return 2;
        }
    }
    if (counts.empty()) {
        counts = {1, 100, 1000, 10000};
    }
    kovr::test::Lab lab(kovr::test::Topology::Single);
    std::printf("reply window %s ms, idle limit %u ms, %s%s\n\n", windowMs.c_str(), options.idleMs,
                options.unprivileged ? "without CAP_NET_ADMIN" : "as root",
                options.busyProcesses > 0 ? (", " + std::to_string(options.busyProcesses) + " busy processes").c_str()
                                          : "");
    std::printf("| N | found/N | replies arrived (ms after start) | ran past idle limit (ms) | search CPU (ms) | "
                "UDP buffer drops | backlog drops | kovr-sim retried/lost | socket buffer (MiB) | RSS before (KiB) | "
                "peak RSS (KiB) |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    int status = 0;
    for (int devices : counts) {
        kovr::test::Simulator sim(lab, DevicesWith200ByteReplies(devices),
                                  {"--reply-window-ms", windowMs, "--log-received-only"}, std::chrono::seconds(120));
        SearchFigures figures;
        if (!MeasureSearch(options, &figures)) {
            std::fprintf(stderr, "search_bench: the measurement for N = %d failed\n", devices);
            status = 1;
            continue;
        }
        std::string stopLine;
        sim.Stop(&stopLine);
        std::printf("| %d | %d/%d | %.1f to %.1f | %.1f | %.1f | %ld | %ld | %ld/%ld | %.0f | %ld | %ld |\n", devices,
                    figures.found, devices, figures.firstArrivalMs, figures.lastArrivalMs,
                    figures.elapsedMs - figures.lastArrivalMs - options.idleMs, figures.searchCpuMs,
                    figures.udpBufferDrops, figures.backlogDrops, SimulatorCount(stopLine, "retried"),
                    SimulatorCount(stopLine, "lost"), static_cast<double>(figures.grantedBufferBytes) / (1 << 20),
                    figures.rssBeforeKb, figures.peakRssKb);
        std::fflush(stdout);
        status |= figures.found == devices ? 0 : 1;
    }
    return status;
}
