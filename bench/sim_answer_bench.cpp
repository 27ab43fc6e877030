// How fast one kovr-sim process answers an all-devices request for 10,000
// devices, in a private network lab: time to the first and the last reply
// at the host socket, replies per second, and the simulator's CPU time per
// request. With a reply window the replies are spread over it instead.
//
// Run it inside a private namespace:
//   tests/netlab/isolated build/default/bench/sim_answer_bench [DEVICES [ROUNDS]]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "tests/support/lab.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Round {
    double firstMs = 0;
    double lastMs = 0;
    size_t replies = 0;
    size_t distinct = 0;
    double simCpuMs = 0;
};

// User plus system time of a process, from /proc/PID/stat.
double CpuMilliseconds(pid_t pid)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    // Fields after the command name: state is field 3, utime 14, stime 15.
    std::vector<std::string> fields;
    size_t at = close + 2;
    while (at < text.size()) {
        const size_t space = text.find(' ', at);
        fields.push_back(text.substr(at, space - at));
        at = space == std::string::npos ? text.size() : space + 1;
    }
    const double ticks = std::stod(fields.at(11)) + std::stod(fields.at(12));
    return ticks * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::vector<uint8_t> AllDevicesRequest()
{
    std::vector<uint8_t> request = {'L',  'O',  'R',  'X',  0x00, 0x01, 0x00, 0x1c, 0xff, 0xff, 0xff, 0xff,
                                    0xff, 0xff, 0x14, 0x02, 0x02, 0x00, 0x15, 0x10, 0x47, 0x24, 0x14, 0x1b,
                                    0xae, 0xb4, 0x4d, 0xba, 0xbe, 0x7f, 0xd4, 0xa1, 0x8a, 0xfa, 0x6e, 0xa5};
    return request;
}

Round RunRound(kovr::test::HostSocket &socket, const kovr::test::Simulator &sim, size_t devices)
{
    Round round;
    std::set<std::vector<uint8_t>> macs;
    const double cpuBefore = CpuMilliseconds(sim.pid());
    const Clock::time_point start = Clock::now();
    socket.SendToGroup(AllDevicesRequest());
    // Ends at the last expected reply, or when replies stop for a second.
    while (round.replies < devices) {
        std::optional<std::vector<uint8_t>> reply = socket.Receive(std::chrono::seconds(1));
        if (!reply) {
            break;
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        round.firstMs = round.replies == 0 ? ms : round.firstMs;
        round.lastMs = ms;
        ++round.replies;
        if (reply->size() >= 16) {
            macs.insert(std::vector<uint8_t>(reply->begin() + 10, reply->begin() + 16));
        }
    }
    round.distinct = macs.size();
    round.simCpuMs = CpuMilliseconds(sim.pid()) - cpuBefore;
    return round;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void Report(const char *label, const std::vector<Round> &rounds, size_t devices)
{
    std::vector<double> first, last, cpu;
    size_t worstReplies = devices;
    for (const Round &round : rounds) {
        first.push_back(round.firstMs);
        last.push_back(round.lastMs);
        cpu.push_back(round.simCpuMs);
        worstReplies = std::min(worstReplies, std::min(round.replies, round.distinct));
    }
    const double medianLast = Median(last);
    std::printf("%-22s devices=%zu rounds=%zu  first reply %.2f ms  last reply median %.1f ms (best %.1f)  "
                "%.0f replies/s  sim CPU %.0f ms/request  fewest distinct replies %zu\n",
                label, devices, rounds.size(), Median(first), medianLast, *std::min_element(last.begin(), last.end()),
                static_cast<double>(devices) / (medianLast / 1000.0), Median(cpu), worstReplies);
}

} // namespace

int main(int argc, char **argv)
{
    const size_t devices = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 10000;
    const size_t rounds = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 5;
    if (devices == 0 || rounds == 0) {
        std::fprintf(stderr, "usage: sim_answer_bench [DEVICES [ROUNDS]]\n");
        return 2;
    }
    try {
        kovr::test::Lab lab(kovr::test::Topology::Single);
        const nlohmann::json none = {{"devices", nlohmann::json::array()}};
        std::printf("machine: %ld cores\n", sysconf(_SC_NPROCESSORS_ONLN));
        for (const unsigned windowMs : {0u, 1000u}) {
            kovr::test::Simulator sim(
                lab, none, {"--generate", std::to_string(devices), "--reply-window-ms", std::to_string(windowMs)});
            kovr::test::HostSocket socket(lab.HostAddresses().front());
            // Room for every reply at once, so that the host never drops one.
            socket.SetReceiveBuffer(64 << 20);
            std::vector<Round> results;
            for (size_t i = 0; i < rounds; ++i) {
                results.push_back(RunRound(socket, sim, devices));
            }
            std::string stats;
            sim.Stop(&stats);
            const std::string label = "reply window " + std::to_string(windowMs) + " ms";
            Report(label.c_str(), results, devices);
            std::printf("  %s", stats.c_str());
        }
    } catch (const std::exception &error) {
        std::fprintf(stderr, "sim_answer_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
