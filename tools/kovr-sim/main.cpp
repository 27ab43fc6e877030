// kovr-sim: plays one to thousands of KOVR devices on the local network.
#include <signal.h>

#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "tools/kovr-sim/datagram_log.h"
#include "tools/kovr-sim/event_loop.h"
#include "tools/kovr-sim/options.h"
#include "tools/kovr-sim/responder.h"
#include "tools/kovr-sim/simulator_config.h"
#include "tools/kovr-sim/udp_endpoint.h"

namespace {

using namespace kovr::sim;

constexpr int kExitFailure = 1;

// Each device's interface names become indexes; a name the simulator
// doesn't listen on is a mistake in the device file.
void ResolveInterfaces(std::vector<Device> &devices, const std::vector<NetworkInterface> &interfaces)
{
    for (Device &device : devices) {
        for (const std::string &name : device.interfaces) {
            int index = 0;
            for (const NetworkInterface &entry : interfaces) {
                index = entry.name == name ? entry.index : index;
            }
            if (index == 0) {
                throw ConfigError("device " + FormatMac(device.mac) + ": interface " + name +
                                  " is not among those the simulator listens on");
            }
            device.interfaceIndexes.push_back(index);
        }
    }
}

JunkFlood MakeFlood(const FloodConfig &flood)
{
    return flood.perSecond > 0 ? JunkFlood(flood.perSecond, flood.count, flood.target, flood.kind, Clock::now())
                               : JunkFlood();
}

int Run(SimulatorConfig config)
{
    const size_t deviceCount = config.devices.size();
    // Made first, so that two devices with one MAC are reported as such
    // whatever the network looks like.
    Responder responder(std::move(config.devices), config.misbehaviour, config.failure, config.replyWindow,
                        config.seed);
    const std::vector<NetworkInterface> interfaces = ChooseInterfaces(config.interfaces);
    ResolveInterfaces(responder.devices(), interfaces);
    DatagramLog log(config.logPath);
    UdpEndpoint endpoint(interfaces, config.group, config.port);
    EventLoop loop(endpoint, responder, log, interfaces, MakeFlood(config.flood), config.logSent);

    std::string names;
    for (const NetworkInterface &entry : interfaces) {
        names += (names.empty() ? "" : ",") + entry.name;
    }
    std::printf("kovr-sim: ready devices=%zu interfaces=%s group=%s port=%u\n", deviceCount, names.c_str(),
                FormatIpv4(config.group).c_str(), static_cast<unsigned>(config.port));
    std::fflush(stdout);

    loop.Run();
    const LoopStats &stats = loop.stats();
    std::printf("kovr-sim: stopped received=%llu replies=%llu junk=%llu retried=%llu lost=%llu\n",
                static_cast<unsigned long long>(stats.received), static_cast<unsigned long long>(stats.repliesSent),
                static_cast<unsigned long long>(stats.junkSent), static_cast<unsigned long long>(stats.retried),
                static_cast<unsigned long long>(stats.lost));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (const std::optional<int> status = ParseCommandLine(argc, argv, &options)) {
        return *status;
    }
    // A reader that goes away must not kill the simulator mid-step.
    signal(SIGPIPE, SIG_IGN);
    try {
        return Run(ConfigFromOptions(options));
    } catch (const ConfigError &error) {
        std::fprintf(stderr, "kovr-sim: %s\n", error.what());
        return kExitUsage;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kovr-sim: %s\n", error.what());
        return kExitFailure;
    }
}
