// A synchronous search while kovr-sim floods the searching socket with junk
// and foreign datagrams: random bytes, and replies with another magic, the
// request's type, no MAC, each kind of malformed field, or oversize. N real
// devices (200-byte replies) answer over the first second. The first row
// is the same search without the flood, for comparison.
//
//   tests/netlab/isolated build/default/bench/flood_bench [--devices=N] [--rate=PER_SECOND]
//       [--seconds=S] [--kind=mixed|foreign|random] [--idle=MS] [--total=MS]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/search_measure.h"
#include "tests/support/lab.h"

int main(int argc, char **argv)
{
    using namespace kovr::bench;
    int devices = 1000;
    long rate = 50000;
    long seconds = 3;
    std::string kind = "mixed";
    SearchOptions options;
    options.idleMs = 1000;
    options.totalMs = 10000;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        std::string value;
        if (OptionValue(argument, "--devices", &value)) {
            devices = std::atoi(value.c_str());
        } else if (OptionValue(argument, "--rate", &value)) {
            rate = std::atol(value.c_str());
        } else if (OptionValue(argument, "--seconds", &value)) {
            seconds = std::atol(value.c_str());
        } else if (OptionValue(argument, "--idle", &value)) {
            options.idleMs = static_cast<uint32_t>(std::atoi(value.c_str()));
        } else if (OptionValue(argument, "--total", &value)) {
            options.totalMs = static_cast<uint32_t>(std::atoi(value.c_str()));
        } else if (!OptionValue(argument, "--kind", &kind)) {
            std::fprintf(stderr, "usage: flood_bench [--devices=N] [--rate=PER_SECOND] [--seconds=S] "
                                 "[--kind=mixed|foreign|random] [--idle=MS] [--total=MS]\n");
            return 2;
        }
    }
    kovr::test::Lab lab(kovr::test::Topology::Single);
    std::printf("%d devices over 1 s; flood of %ld %s datagrams a second for %ld s; idle limit %u ms, total %u ms\n\n",
                devices, rate, kind.c_str(), seconds, options.idleMs, options.totalMs);
    std::printf("| flood | found/N | junk sent | datagrams to the socket | rejected by the search | UDP buffer drops | "
                "last datagram (ms after start) | search took (ms) | search CPU (ms) | RSS before / after / peak "
                "(KiB) |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|\n");
    int status = 0;
    for (bool flooding : {false, true}) {
        std::vector<std::string> switches = {"--reply-window-ms", "1000", "--log-received-only"};
        if (flooding) {
            switches.insert(switches.end(), {"--flood", std::to_string(rate), "--flood-count",
                                             std::to_string(rate * seconds), "--flood-kind", kind});
        }
        kovr::test::Simulator sim(lab, DevicesWith200ByteReplies(devices), switches);
        SearchFigures figures;
        if (!MeasureSearch(options, &figures)) {
            std::fprintf(stderr, "flood_bench: the measurement failed\n");
            return 1;
        }
        std::string stopLine;
        sim.Stop(&stopLine);
        std::printf("| %s | %d/%d | %ld | %ld | %ld | %ld | %.0f | %.0f | %.0f | %ld / %ld / %ld |\n",
                    flooding ? "yes" : "no", figures.found, devices, SimulatorCount(stopLine, "junk"),
                    figures.udpDelivered, figures.udpDelivered - figures.found, figures.udpBufferDrops,
                    figures.lastArrivalMs, figures.elapsedMs, figures.searchCpuMs, figures.rssBeforeKb,
                    figures.rssAfterKb, figures.peakRssKb);
        std::fflush(stdout);
        status |= figures.found == devices ? 0 : 1;
    }
    return status;
}
