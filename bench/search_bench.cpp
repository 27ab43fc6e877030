// Synchronous search against N simulated devices in a private network lab.
// For each N it reports how many devices were found, how long the search
// ran past its idle limit after the last reply reached the host's
// interface, the search worker's CPU time while it waited for replies that
// no longer came, and the peak resident memory.
//
// Run it inside a private namespace:
//   tests/netlab/isolated build/default/bench/search_bench [--window=MS] [N...]
// The devices' replies are spread evenly over the window (default 1000 ms).
#include <arpa/inet.h>
#include <linux/if_ether.h>
#include <net/if.h>
#include <netinet/ip.h>
#include <netpacket/packet.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kovr/kovr.h"
#include "netlab.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr KOVR_GUID kLocatorGuid = {0x4724141B, 0xAEB4, 0x4DBA, {0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5}};
constexpr uint16_t kPort = 2362;
constexpr uint32_t kIdleLimitMs = 5000;

double CpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

long ResidentKilobytes()
{
    long pages = 0;
    long resident = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) {
            resident = 0;
        }
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE) / 1024;
}

// Watches the host interface for replies (UDP from the device port) and
// remembers when the last one arrived.
class ReplyWatch {
public:
    explicit ReplyWatch(const std::string &interfaceName)
    {
        fd_ = socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
        int size = 64 << 20;
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size);
        timeval tick{0, 100000};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof tick);
        sockaddr_ll link{};
        link.sll_family = AF_PACKET;
        link.sll_protocol = htons(ETH_P_IP);
        link.sll_ifindex = static_cast<int>(if_nametoindex(interfaceName.c_str()));
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr *>(&link), sizeof link) != 0) {
            std::perror("reply watch");
            std::exit(1);
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~ReplyWatch()
    {
        Stop();
        close(fd_);
    }
    void Stop()
    {
        if (!stop_.exchange(true)) {
            thread_.join();
        }
    }
    Clock::time_point LastReply() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return last_;
    }
    double CpuSeconds() const { return cpu_; }

private:
    void Run()
    {
        uint8_t packet[2048];
        while (!stop_) {
            sockaddr_ll from{};
            socklen_t length = sizeof from;
            const ssize_t size = recvfrom(fd_, packet, sizeof packet, 0, reinterpret_cast<sockaddr *>(&from), &length);
            const auto now = Clock::now();
            if (size < 28 || from.sll_pkttype == PACKET_OUTGOING || packet[9] != IPPROTO_UDP) {
                continue;
            }
            const size_t header = static_cast<size_t>(packet[0] & 0x0F) * 4;
            if (static_cast<size_t>(size) >= header + 8 && ((packet[header] << 8) | packet[header + 1]) == kPort) {
                std::lock_guard<std::mutex> lock(mutex_);
                last_ = now;
            }
        }
        cpu_ = ::CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    }

    int fd_ = -1;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    Clock::time_point last_{};
    std::atomic<double> cpu_{0};
    std::thread thread_;
};

// Samples the process's CPU time, less its own, every 20 ms.
class CpuSampler {
public:
    struct Sample {
        Clock::time_point at;
        double cpu;
    };
    CpuSampler()
    {
        thread_ = std::thread([this] {
            while (!stop_) {
                const Sample sample{Clock::now(), ::CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) -
                                                      ::CpuSeconds(CLOCK_THREAD_CPUTIME_ID)};
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    samples_.push_back(sample);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }
    ~CpuSampler() { Stop(); }
    void Stop()
    {
        if (!stop_.exchange(true)) {
            thread_.join();
        }
    }
    // CPU seconds used between two moments, by the nearest samples inside them.
    double Between(Clock::time_point from, Clock::time_point to, double *seconds) const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const Sample *first = nullptr;
        const Sample *last = nullptr;
        for (const Sample &sample : samples_) {
            if (sample.at >= from && sample.at <= to) {
                first = first == nullptr ? &sample : first;
                last = &sample;
            }
        }
        if (first == nullptr || first == last) {
            *seconds = 0;
            return 0;
        }
        *seconds = std::chrono::duration<double>(last->at - first->at).count();
        return last->cpu - first->cpu;
    }

private:
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Sample> samples_;
    std::thread thread_;
};

struct Result {
    int devices;
    int found;
    double overheadMs;
    double searchCpuMs;
    double waitingCpuPercent;
    long rssBeforeKb;
    long peakRssKb;
};

// Runs in a child process of its own, so that each peak RSS stands alone.
Result MeasureOnce(int devices)
{
    Result result{devices, 0, 0, 0, 0, 0, 0};
    KOVR_HANDLE handle = KOVROpenByGuid(&kLocatorGuid);
    ReplyWatch watch("h1");
    CpuSampler sampler;
    result.rssBeforeKb = ResidentKilobytes();
    const double cpuBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    result.found = KOVRStartSyncSearchEx(handle, kIdleLimitMs, 60000);
    const auto end = Clock::now();
    const double cpuAfter = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    sampler.Stop();
    watch.Stop();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    result.peakRssKb = usage.ru_maxrss;

    const Clock::time_point last = watch.LastReply();
    result.overheadMs = std::chrono::duration<double, std::milli>(end - last).count() - kIdleLimitMs;
    double waited = 0;
    // The waiting starts once the last reply has been read; leave it 100 ms.
    const double waitingCpu = sampler.Between(last + std::chrono::milliseconds(100), end, &waited);
    result.waitingCpuPercent = waited > 0 ? 100.0 * waitingCpu / waited : 0;
    // What the search cost, less the watcher's own thread.
    result.searchCpuMs = 1000.0 * (cpuAfter - cpuBefore - watch.CpuSeconds());
    KOVRClose(handle);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<int> counts;
    std::string windowMs = "1000";
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument.rfind("--window=", 0) == 0) {
            windowMs = argument.substr(9);
        } else {
            counts.push_back(std::atoi(argv[i]));
        }
    }
    if (counts.empty()) {
        counts = {1, 100, 1000, 10000};
    }
    kovr::netlab::Lab lab(kovr::netlab::Topology::Single);
    std::printf("| N | found/N | overhead beyond idle (ms) | search CPU (ms) | worker CPU while waiting "
                "(%% of a core) | RSS before (KiB) | peak RSS (KiB) |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    int status = 0;
    for (int devices : counts) {
        kovr::netlab::Simulator sim(lab, {{"devices", nlohmann::json::array()}},
                                    {"--generate", std::to_string(devices), "--reply-window-ms", windowMs});
        int channel[2];
        if (pipe(channel) != 0) {
            return 1;
        }
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            const Result result = MeasureOnce(devices);
            const ssize_t written = write(channel[1], &result, sizeof result);
            _exit(written == sizeof result ? 0 : 1);
        }
        close(channel[1]);
        Result result{};
        const bool complete = read(channel[0], &result, sizeof result) == sizeof result;
        close(channel[0]);
        waitpid(child, nullptr, 0);
        if (!complete) {
            std::fprintf(stderr, "search_bench: the measurement for N = %d failed\n", devices);
            status = 1;
            continue;
        }
        std::printf("| %d | %d/%d | %.1f | %.1f | %.2f | %ld | %ld |\n", devices, result.found, devices,
                    result.overheadMs, result.searchCpuMs, result.waitingCpuPercent, result.rssBeforeKb,
                    result.peakRssKb);
        std::fflush(stdout);
        status |= result.found == devices ? 0 : 1;
    }
    return status;
}
