#include "bench/search_measure.h"

#include <arpa/inet.h>
#include <linux/capability.h>
#include <linux/if_ether.h>
#include <malloc.h>
#include <net/if.h>
#include <netinet/ip.h>
#include <netpacket/packet.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "kovr/kovr.h"

namespace kovr::bench {

namespace {

using Clock = std::chrono::steady_clock;

constexpr KOVR_GUID kLocatorGuid = KOVR_LOCATOR_SESSION_GUID;
constexpr uint16_t kDevicePort = KOVR_PORT;
constexpr const char *kHostInterface = "h1";
constexpr const char *kHostAddress = "10.77.1.1";

double CpuSeconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double MillisecondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A "Vm..." line of /proc/self/status, in KiB: VmRSS now, VmHWM the peak.
long StatusKilobytes(const std::string &key)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ":", 0) == 0) {
            return std::atol(line.c_str() + key.size() + 1);
        }
    }
    return -1;
}

// InDatagrams and RcvbufErrors of this namespace's UDP.
void UdpCounters(long *delivered, long *bufferDrops)
{
    std::ifstream snmp("/proc/net/snmp");
    std::string names;
    std::string values;
    std::string line;
    while (std::getline(snmp, line)) {
        if (line.rfind("Udp:", 0) == 0) {
            (names.empty() ? names : values) = line;
        }
    }
    std::istringstream nameWords(names);
    std::istringstream valueWords(values);
    std::string name;
    std::string value;
    while (nameWords >> name && valueWords >> value) {
        if (name == "InDatagrams") {
            *delivered = std::atol(value.c_str());
        } else if (name == "RcvbufErrors") {
            *bufferDrops = std::atol(value.c_str());
        }
    }
}

// The second column of /proc/net/softnet_stat, summed over processors.
long BacklogDrops()
{
    std::ifstream stat("/proc/net/softnet_stat");
    long total = 0;
    std::string processed;
    std::string dropped;
    std::string rest;
    while (stat >> processed >> dropped && std::getline(stat, rest)) {
        total += std::strtol(dropped.c_str(), nullptr, 16);
    }
    return total;
}

// The receive buffer of this process's UDP socket on the host address
// other than `except`: the search worker's.
long SearchSocketBuffer(int except)
{
    for (int fd = 3; fd < 1024; ++fd) {
        int type = 0;
        socklen_t length = sizeof type;
        sockaddr_in local{};
        socklen_t addressLength = sizeof local;
        if (fd == except || getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_DGRAM ||
            getsockname(fd, reinterpret_cast<sockaddr *>(&local), &addressLength) != 0 || local.sin_family != AF_INET ||
            local.sin_addr.s_addr != inet_addr(kHostAddress)) {
            continue;
        }
        int size = 0;
        length = sizeof size;
        return getsockopt(fd, SOL_SOCKET, SO_RCVBUF, &size, &length) == 0 ? size : -1;
    }
    return -1;
}

// Watches the host interface for datagrams from the device port: how many,
// the first and the last.
class ArrivalWatch {
public:
    ArrivalWatch()
    {
        fd_ = socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_IP));
        int size = 64 << 20;
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &size, sizeof size);
        timeval tick{0, 50000};
        setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof tick);
        sockaddr_ll link{};
        link.sll_family = AF_PACKET;
        link.sll_protocol = htons(ETH_P_IP);
        link.sll_ifindex = static_cast<int>(if_nametoindex(kHostInterface));
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr *>(&link), sizeof link) != 0) {
            std::perror("search_measure: arrival watch");
            std::exit(1);
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~ArrivalWatch()
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
    // Valid after Stop.
    long count() const { return count_; }
    Clock::time_point first() const { return first_; }
    Clock::time_point last() const { return last_; }
    double cpuSeconds() const { return cpu_; }
    long searchBuffer() const { return searchBuffer_; }

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
            if (static_cast<size_t>(size) < header + 8 || ((packet[header] << 8) | packet[header + 1]) != kDevicePort) {
                continue;
            }
            if (count_++ == 0) {
                first_ = now;
                searchBuffer_ = SearchSocketBuffer(fd_);
            }
            last_ = now;
        }
        cpu_ = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    }

    int fd_ = -1;
    std::atomic<bool> stop_{false};
    long count_ = 0;
    long searchBuffer_ = -1;
    Clock::time_point first_{};
    Clock::time_point last_{};
    double cpu_ = 0;
    std::thread thread_;
};

bool DropNetworkAdministration()
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    const uint32_t bit = 1u << (CAP_NET_ADMIN % 32);
    data[CAP_NET_ADMIN / 32].effective &= ~bit;
    data[CAP_NET_ADMIN / 32].permitted &= ~bit;
    return syscall(SYS_capset, &header, data) == 0;
}

// Spinning children, each ended by the caller, or by itself after a minute.
std::vector<pid_t> StartBusyProcesses(int count)
{
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            alarm(60);
            for (volatile unsigned long spin = 0;; spin = spin + 1) {
            }
        }
        if (child > 0) {
            children.push_back(child);
        }
    }
    return children;
}

void StopProcesses(const std::vector<pid_t> &children)
{
    for (pid_t child : children) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
}

SearchFigures MeasureInThisProcess(const SearchOptions &options)
{
    SearchFigures figures;
    if (options.unprivileged && !DropNetworkAdministration()) {
        std::fprintf(stderr, "search_measure: could not give up CAP_NET_ADMIN\n");
        std::exit(1);
    }
    KOVR_HANDLE handle = KOVROpenByGuid(&kLocatorGuid);
    ArrivalWatch watch;
    long deliveredBefore = 0;
    long dropsBefore = 0;
    UdpCounters(&deliveredBefore, &dropsBefore);
    const long backlogBefore = BacklogDrops();
    figures.rssBeforeKb = StatusKilobytes("VmRSS");
    const std::vector<pid_t> busy = StartBusyProcesses(options.busyProcesses);

    const double cpuBefore = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const auto start = Clock::now();
    figures.found = KOVRStartSyncSearchEx(handle, options.idleMs, options.totalMs);
    const auto end = Clock::now();
    const double cpuAfter = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);

    StopProcesses(busy);
    watch.Stop();
    figures.rssAfterKb = StatusKilobytes("VmRSS");
    figures.peakRssKb = StatusKilobytes("VmHWM");
    long deliveredAfter = 0;
    long dropsAfter = 0;
    UdpCounters(&deliveredAfter, &dropsAfter);
    figures.udpDelivered = deliveredAfter - deliveredBefore;
    figures.udpBufferDrops = dropsAfter - dropsBefore;
    figures.backlogDrops = BacklogDrops() - backlogBefore;
    figures.elapsedMs = MillisecondsBetween(start, end);
    figures.datagramsSeen = watch.count();
    if (watch.count() > 0) {
        figures.firstArrivalMs = MillisecondsBetween(start, watch.first());
        figures.lastArrivalMs = MillisecondsBetween(start, watch.last());
    }
    figures.searchCpuMs = 1000.0 * (cpuAfter - cpuBefore - watch.cpuSeconds());
    figures.grantedBufferBytes = watch.searchBuffer();
    KOVRClose(handle);
    return figures;
}

} // namespace

bool MeasureSearch(const SearchOptions &options, SearchFigures *figures)
{
    int channel[2];
    if (pipe(channel) != 0) {
        return false;
    }
    std::fflush(stdout);
    // The child starts from the parent's memory: give back what the device
    // file took, so that the child's RSS is the search's own.
    malloc_trim(0);
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const SearchFigures measured = MeasureInThisProcess(options);
        const ssize_t written = write(channel[1], &measured, sizeof measured);
        _exit(written == sizeof measured ? 0 : 1);
    }
    close(channel[1]);
    const bool complete = child > 0 && read(channel[0], figures, sizeof *figures) == sizeof *figures;
    close(channel[0]);
    if (child > 0) {
        waitpid(child, nullptr, 0);
    }
    return complete;
}

nlohmann::json DevicesWith200ByteReplies(int count)
{
    // 97 opaque bytes bring each reply to 200 bytes with the fields below.
    const std::string opaque(97 * 2, '0');
    nlohmann::json devices = nlohmann::json::array();
    for (int i = 1; i <= count; ++i) {
        char mac[18];
        std::snprintf(mac, sizeof mac, "02:00:01:%02x:%02x:%02x", (i >> 16) & 0xff, (i >> 8) & 0xff, i & 0xff);
        char ip[16];
        std::snprintf(ip, sizeof ip, "10.77.%d.%d", 1 + (i >> 8) % 250, i & 0xff);
        char name[24];
        std::snprintf(name, sizeof name, "site-a-camera-%05u", static_cast<unsigned>(i) % 100000);
        devices.push_back({{"mac", mac},
                           {"ip", ip},
                           {"mask", "255.255.0.0"},
                           {"gateway", "10.77.0.254"},
                           {"dns", "10.77.0.254"},
                           {"dhcp", 1},
                           {"name", name},
                           {"product", "7100-NT"},
                           {"guid", "{85CE4A71-1F89-4AA2-8B4D-3B1FCE4D2941}"},
                           {"tag22", "01"},
                           {"tag24", opaque}});
    }
    return {{"devices", devices}};
}

long SimulatorCount(const std::string &stopLine, const std::string &key)
{
    const std::string marker = key + "=";
    const size_t at = stopLine.find(marker);
    return at == std::string::npos ? -1 : std::atol(stopLine.c_str() + at + marker.size());
}

bool OptionValue(const std::string &argument, const std::string &name, std::string *value)
{
    const std::string prefix = name + "=";
    if (argument.rfind(prefix, 0) != 0) {
        return false;
    }
    *value = argument.substr(prefix.size());
    return true;
}

} // namespace kovr::bench
