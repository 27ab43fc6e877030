// Whole latency of one device command (SetDHCP) against a simulated device
// that answers at once, with the session's default limits: one or two local
// addresses, password in plain or as a digest, and for the digest device
// also with the guard on (a pinned device) and with a query for its
// challenge first (a device not pinned yet). Each command makes two
// exchanges with one local address (challenge query, command) and three with
// two (the address-choosing query first). The overhead per exchange is the
// command's median latency, less that many raw request/reply round trips
// measured with a plain socket, divided by the number of exchanges.
//
// Run it inside a private namespace:
//   tests/netlab/isolated build/default/bench/command_bench [ITERATIONS]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "kovr/kovr.h"
#include "tests/support/lab.h"

namespace {

using Clock = std::chrono::steady_clock;
using kovr::test::Lab;
using kovr::test::Simulator;
using kovr::test::Topology;

constexpr KOVR_GUID kLocatorGuid = KOVR_LOCATOR_SESSION_GUID;
const uint8_t kPlainDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const uint8_t kDigestDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x02};

struct Summary {
    double median = 0;
    double p95 = 0;
    double max = 0;
};

Summary Summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    if (ms.empty()) {
        return {};
    }
    return {ms[ms.size() / 2], ms[ms.size() * 95 / 100], ms.back()};
}

double Since(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One DiscoveryRequest for the device from a bare socket bound to the
// address that reaches it, and the blocking wait for the first reply.
double RawRoundTrip(const char *localAddress, const uint8_t mac[6])
{
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = inet_addr(localAddress);
    in_addr interface {
        local.sin_addr
    };
    timeval limit{2, 0};
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &interface, sizeof interface) != 0 ||
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0) {
        std::perror("command_bench: raw socket");
        std::exit(1);
    }
    uint8_t request[36] = {'L', 'O', 'R', 'X', 0x00, 0x01, 0x00, 0x1C};
    std::copy(mac, mac + 6, request + 8);
    const uint8_t trailer[22] = {0x14, 0x02, 0x02, 0x00, 0x15, 0x10, 0x47, 0x24, 0x14, 0x1B, 0xAE,
                                 0xB4, 0x4D, 0xBA, 0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5};
    std::copy(trailer, trailer + sizeof trailer, request + 14);
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_addr.s_addr = htonl(KOVR_GROUP_ADDRESS);
    group.sin_port = htons(KOVR_PORT);
    uint8_t reply[1500];
    const Clock::time_point start = Clock::now();
    sendto(fd, request, sizeof request, 0, reinterpret_cast<sockaddr *>(&group), sizeof group);
    const ssize_t received = recv(fd, reply, sizeof reply, 0);
    const double elapsed = Since(start);
    close(fd);
    if (received <= 0) {
        std::fprintf(stderr, "command_bench: no raw reply\n");
        std::exit(1);
    }
    return elapsed;
}

void Measure(Topology topology, int iterations)
{
    Lab lab(topology);
    const bool dual = topology == Topology::Dual;
    // Both devices sit behind the last link, so with two addresses the
    // reply to the choosing query comes in on the second socket.
    const std::string link = dual ? "d2" : "d1";
    const std::string subnet = dual ? "10.77.2." : "10.77.1.";
    std::vector<nlohmann::json> devices;
    for (int i = 1; i <= 2; ++i) {
        nlohmann::json device = kovr::test::DeviceJson(i, i == 1 ? "plain" : "digest", "secret");
        device["ip"] = subnet + std::to_string(10 + i);
        device["interfaces"] = {link};
        devices.push_back(device);
    }
    Simulator sim(lab, {{"devices", devices}});
    const std::string hostAddress = lab.HostAddresses().back();

    std::vector<double> raw;
    for (int i = 0; i < iterations; ++i) {
        raw.push_back(RawRoundTrip(hostAddress.c_str(), kPlainDevice));
    }
    const Summary rawSummary = Summarise(raw);
    const int exchanges = dual ? 3 : 2;

    // As the library commands by default; with the guard on, as kovr
    // commands a pinned device; and after a query for the challenge first,
    // as kovr commands a device it hasn't pinned yet.
    struct Variant {
        const char *auth;
        const uint8_t *mac;
        uint32_t policy;
        bool queryFirst;
    };
    const Variant variants[] = {
        {"plain", kPlainDevice, 0, false},
        {"digest", kDigestDevice, 0, false},
        {"digest, guard on", kDigestDevice, KOVR_POLICY_REQUIRE_CHALLENGE, false},
        {"digest, query, guard on", kDigestDevice, KOVR_POLICY_REQUIRE_CHALLENGE, true},
    };
    KOVR_HANDLE h = KOVROpenByGuid(&kLocatorGuid);
    for (const Variant &variant : variants) {
        KOVRSetCommandPolicy(h, variant.policy);
        const int made = exchanges + (variant.queryFirst ? 1 : 0);
        std::vector<double> latencies;
        int failures = 0;
        for (int i = 0; i < iterations; ++i) {
            const Clock::time_point start = Clock::now();
            KOVRDeviceInfoRecord record;
            if (variant.queryFirst && KOVRGetDeviceInfo(h, variant.mac, &record) != 0) {
                ++failures;
            }
            failures += KOVRSetDHCP(h, variant.mac, i & 1, "secret") != 0 ? 1 : 0;
            latencies.push_back(Since(start));
        }
        const Summary s = Summarise(latencies);
        std::printf("| %d | %s | %d | %.2f | %.2f | %.2f | %.3f | %.2f | %d |\n", dual ? 2 : 1, variant.auth, made,
                    s.median, s.p95, s.max, rawSummary.median, (s.median - made * rawSummary.median) / made, failures);
    }
    KOVRClose(h);
}

} // namespace

int main(int argc, char **argv)
{
    if (!kovr::test::InPrivateNamespace()) {
        std::fprintf(stderr, "command_bench: run it under tests/netlab/isolated\n");
        return 1;
    }
    const int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::printf("%d commands per row; times in ms\n\n", iterations);
    std::printf("| local addresses | auth | exchanges | median | p95 | max | raw round trip (median) | "
                "overhead per exchange | failures |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|\n");
    Measure(Topology::Single, iterations);
    Measure(Topology::Dual, iterations);
    return 0;
}
