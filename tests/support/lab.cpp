#include "tests/support/lab.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace kovr::test {
namespace {

const char *const kNamespacePrefix = "kovr-lab-";
const char *const kNetnsDir = "/run/netns";

// The device file, the log and their directory, whatever of them exists.
void RemoveSimulatorFiles(const std::string &directory)
{
    std::remove((directory + "/config.json").c_str());
    std::remove((directory + "/log.jsonl").c_str());
    rmdir(directory.c_str());
}

// Removes the simulator's files when a start fails, so that nothing is left in /tmp.
class FilesGuard {
public:
    explicit FilesGuard(const std::string &directory) : directory_(directory) {}
    ~FilesGuard()
    {
        if (armed_) {
            RemoveSimulatorFiles(directory_);
        }
    }
    void Release() { armed_ = false; }

private:
    const std::string &directory_;
    bool armed_ = true;
};

std::string ReadAll(int fd)
{
    std::string out;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            out.append(buffer, static_cast<size_t>(n));
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            return out;
        }
    }
}

std::string JoinArgs(const std::vector<std::string> &argv)
{
    std::string text;
    for (const std::string &arg : argv) {
        text += (text.empty() ? "" : " ") + arg;
    }
    return text;
}

std::vector<char *> ArgvPointers(std::vector<std::string> &args)
{
    std::vector<char *> pointers;
    for (std::string &arg : args) {
        pointers.push_back(arg.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

bool ProcessAlive(pid_t pid)
{
    return kill(pid, 0) == 0 || errno == EPERM;
}

// Namespaces of labs whose process died without its destructor running
// (a crash, SIGKILL) are removed by the next lab.
void RemoveStaleNamespaces()
{
    DIR *dir = opendir(kNetnsDir);
    if (dir == nullptr) {
        return;
    }
    std::vector<std::string> stale;
    while (struct dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.rfind(kNamespacePrefix, 0) != 0) {
            continue;
        }
        const long pid = std::strtol(name.c_str() + std::strlen(kNamespacePrefix), nullptr, 10);
        if (pid > 0 && !ProcessAlive(static_cast<pid_t>(pid))) {
            stale.push_back(name);
        }
    }
    closedir(dir);
    for (const std::string &name : stale) {
        try {
            RunCommand({"ip", "netns", "del", name});
        } catch (const std::exception &) {
            // Another lab may have removed it at the same moment.
        }
    }
}

std::string UniqueNamespaceName()
{
    static std::atomic<unsigned> counter{0};
    return kNamespacePrefix + std::to_string(getpid()) + "-" + std::to_string(counter++);
}

int LinkCount(Topology topology)
{
    return topology == Topology::Dual ? 2 : 1;
}

// Waits until `fd` has output or `deadline` passes, then appends what one
// read gives to `out`. False when the time is up or the pipe has closed.
bool ReadUntil(int fd, std::chrono::steady_clock::time_point deadline, std::string &out)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        struct pollfd pfd = {fd, POLLIN, 0};
        const int ready = left.count() > 0 ? poll(&pfd, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        char buffer[4096];
        const ssize_t n = ready > 0 ? read(fd, buffer, sizeof buffer) : 0;
        if (n <= 0) {
            return false;
        }
        out.append(buffer, static_cast<size_t>(n));
        return true;
    }
}

} // namespace

void RunCommand(const std::vector<std::string> &argv)
{
    int errPipe[2];
    if (pipe2(errPipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
    }
    std::vector<std::string> args = argv;
    std::vector<char *> pointers = ArgvPointers(args);
    const pid_t pid = fork();
    if (pid < 0) {
        close(errPipe[0]);
        close(errPipe[1]);
        throw std::runtime_error("fork: " + std::string(std::strerror(errno)));
    }
    if (pid == 0) {
        dup2(errPipe[1], STDERR_FILENO);
        dup2(errPipe[1], STDOUT_FILENO);
        execvp(pointers[0], pointers.data());
        _exit(127);
    }
    close(errPipe[1]);
    const std::string output = ReadAll(errPipe[0]);
    close(errPipe[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error("netlab: `" + JoinArgs(argv) + "` failed: " + output);
    }
}

std::string SimulatorPath()
{
    return KOVR_SIM_PATH;
}

Lab::Lab(Topology topology) : topology_(topology)
{
    if (!InPrivateNamespace()) {
        throw std::runtime_error("netlab: refusing to build a lab in the machine's default network namespace; "
                                 "run under tests/netlab/isolated");
    }
    RemoveStaleNamespaces();
    try {
        if (topology_ == Topology::Loopback) {
            BuildLoopback();
        } else {
            BuildVethLinks();
        }
    } catch (...) {
        TearDown();
        throw;
    }
}

Lab::~Lab()
{
    TearDown();
}

void Lab::BuildVethLinks()
{
    deviceNamespace_ = UniqueNamespaceName();
    const std::string &ns = deviceNamespace_;
    RunCommand({"ip", "netns", "add", ns});
    RunCommand({"ip", "-n", ns, "link", "set", "lo", "up"});
    const std::vector<std::string> hosts = HostInterfaces();
    const std::vector<std::string> devices = DeviceInterfaces();
    const std::vector<std::string> hostAddresses = HostAddresses();
    const std::vector<std::string> deviceAddresses = DeviceAddresses();
    for (size_t i = 0; i < hosts.size(); ++i) {
        RunCommand({"ip", "link", "add", hosts[i], "type", "veth", "peer", "name", devices[i], "netns", ns});
        RunCommand({"ip", "addr", "add", hostAddresses[i] + "/24", "dev", hosts[i]});
        RunCommand({"ip", "link", "set", hosts[i], "multicast", "on", "up"});
        RunCommand({"ip", "-n", ns, "addr", "add", deviceAddresses[i] + "/24", "dev", devices[i]});
        RunCommand({"ip", "-n", ns, "link", "set", devices[i], "multicast", "on", "up"});
    }
    // A fallback for multicast senders that name no interface; the
    // library's sockets and the simulator always name theirs.
    RunCommand({"ip", "route", "replace", "224.0.0.0/4", "dev", hosts[0]});
    RunCommand({"ip", "-n", ns, "route", "replace", "224.0.0.0/4", "dev", devices[0]});
}

void Lab::BuildLoopback()
{
    RunCommand({"ip", "link", "set", "lo", "multicast", "on", "up"});
    RunCommand({"ip", "route", "replace", "224.0.0.0/4", "dev", "lo"});
}

void Lab::TearDown() noexcept
{
    if (deviceNamespace_.empty()) {
        return;
    }
    // Deleting a host end removes its peer at once; the namespace itself is
    // destroyed by the kernel in the background, too late for the next lab.
    for (const std::string &name : HostInterfaces()) {
        try {
            RunCommand({"ip", "link", "del", name});
        } catch (const std::exception &) {
            // Not created: the build failed before it.
        }
    }
    try {
        RunCommand({"ip", "netns", "del", deviceNamespace_});
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
    }
    deviceNamespace_.clear();
}

// One name per link, "<prefix><link><suffix>", or the loopback name alone.
std::vector<std::string> Lab::PerLink(const std::string &loopback, const std::string &prefix,
                                      const std::string &suffix) const
{
    if (topology_ == Topology::Loopback) {
        return {loopback};
    }
    std::vector<std::string> out;
    for (int i = 1; i <= LinkCount(topology_); ++i) {
        out.push_back(prefix + std::to_string(i) + suffix);
    }
    return out;
}

std::vector<std::string> Lab::HostAddresses() const
{
    return PerLink("127.0.0.1", "10.77.", ".1");
}

std::vector<std::string> Lab::HostInterfaces() const
{
    return PerLink("lo", "h", "");
}

std::vector<std::string> Lab::DeviceInterfaces() const
{
    return PerLink("lo", "d", "");
}

std::vector<std::string> Lab::DeviceAddresses() const
{
    return PerLink("127.0.0.1", "10.77.", ".2");
}

Simulator::Simulator(const Lab &lab, const nlohmann::json &config, std::vector<std::string> extraArgs,
                     std::chrono::milliseconds readyTimeout)
{
    char pattern[] = "/tmp/kovr-sim-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
    }
    directory_ = pattern;
    FilesGuard files(directory_);
    const std::string configPath = directory_ + "/config.json";
    logPath_ = directory_ + "/log.jsonl";
    std::ofstream(configPath) << config.dump(2);

    std::vector<std::string> args = {SimulatorPath(), "--config", configPath, "--log", logPath_};
    for (const std::string &name : lab.DeviceInterfaces()) {
        args.push_back("--interface");
        args.push_back(name);
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char *> pointers = ArgvPointers(args);

    int namespaceFd = -1;
    if (!lab.DeviceNamespace().empty()) {
        namespaceFd = open((std::string(kNetnsDir) + "/" + lab.DeviceNamespace()).c_str(), O_RDONLY | O_CLOEXEC);
        if (namespaceFd < 0) {
            throw std::runtime_error("netlab: cannot open the device namespace: " + std::string(std::strerror(errno)));
        }
    }
    int outPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0) {
        if (namespaceFd >= 0) {
            close(namespaceFd);
        }
        throw std::runtime_error("pipe: " + std::string(std::strerror(errno)));
    }
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        // The simulator must not outlive a test that crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) {
            _exit(126);
        }
        if (namespaceFd >= 0 && setns(namespaceFd, CLONE_NEWNET) != 0) {
            _exit(125);
        }
        dup2(outPipe[1], STDOUT_FILENO);
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    if (namespaceFd >= 0) {
        close(namespaceFd);
    }
    close(outPipe[1]);
    if (pid_ < 0) {
        close(outPipe[0]);
        throw std::runtime_error("fork: " + std::string(std::strerror(errno)));
    }
    stdoutFd_ = outPipe[0];

    const auto deadline = std::chrono::steady_clock::now() + readyTimeout;
    std::string received;
    for (;;) {
        const size_t newline = received.find('\n');
        if (newline != std::string::npos) {
            const std::string line = received.substr(0, newline);
            received.erase(0, newline + 1);
            if (line.rfind("kovr-sim: ready", 0) == 0) {
                readyLine_ = line;
                output_ = received;
                files.Release();
                return;
            }
            continue;
        }
        if (ReadUntil(stdoutFd_, deadline, received)) {
            continue;
        }
        // Gave up, or the simulator exited before it was ready.
        std::string rest;
        Stop(&rest);
        throw std::runtime_error("netlab: kovr-sim did not become ready (status " + std::to_string(status_) +
                                 "); it printed: " + received + rest);
    }
}

Simulator::~Simulator()
{
    Stop();
    RemoveSimulatorFiles(directory_);
}

int Simulator::Stop(std::string *output)
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        // The pipe closes when the simulator exits; a stuck one is killed.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (ReadUntil(stdoutFd_, deadline, output_)) {
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid_, SIGKILL);
        }
        while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
    if (stdoutFd_ >= 0) {
        close(stdoutFd_);
        stdoutFd_ = -1;
    }
    if (output != nullptr) {
        *output = output_;
    }
    return status_;
}

std::vector<nlohmann::json> Simulator::Log() const
{
    std::vector<nlohmann::json> entries;
    std::ifstream in(logPath_);
    std::string line;
    while (std::getline(in, line)) {
        // A line still being written has no newline yet and fails to parse.
        if (in.eof()) {
            break;
        }
        if (!line.empty()) {
            entries.push_back(nlohmann::json::parse(line));
        }
    }
    return entries;
}

HostSocket::HostSocket(const std::string &localAddress)
{
    fd_ = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        throw std::runtime_error("socket: " + std::string(std::strerror(errno)));
    }
    sockaddr_in local{};
    local.sin_family = AF_INET;
    const int ttl = 64;
    in_addr interfaceAddress{};
    if (inet_pton(AF_INET, localAddress.c_str(), &local.sin_addr) != 1 ||
        bind(fd_, reinterpret_cast<const sockaddr *>(&local), sizeof local) != 0 ||
        setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0 ||
        (interfaceAddress = local.sin_addr,
         setsockopt(fd_, IPPROTO_IP, IP_MULTICAST_IF, &interfaceAddress, sizeof interfaceAddress) != 0)) {
        const std::string why = std::strerror(errno);
        close(fd_);
        throw std::runtime_error("netlab: host socket on " + localAddress + ": " + why);
    }
}

HostSocket::~HostSocket()
{
    close(fd_);
}

uint16_t HostSocket::port() const
{
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(fd_, reinterpret_cast<sockaddr *>(&local), &length);
    return ntohs(local.sin_port);
}

void HostSocket::SetReceiveBuffer(int bytes)
{
    if (setsockopt(fd_, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0) {
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    }
}

void HostSocket::SendToGroup(const std::vector<uint8_t> &datagram, const std::string &group, uint16_t port)
{
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    inet_pton(AF_INET, group.c_str(), &to.sin_addr);
    if (sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr *>(&to), sizeof to) !=
        static_cast<ssize_t>(datagram.size())) {
        throw std::runtime_error("netlab: sendto: " + std::string(std::strerror(errno)));
    }
}

std::optional<std::vector<uint8_t>> HostSocket::Receive(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        struct pollfd pfd = {fd_, POLLIN, 0};
        const int ready = poll(&pfd, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        std::vector<uint8_t> buffer(65536);
        const ssize_t n = recv(fd_, buffer.data(), buffer.size(), 0);
        if (n < 0) {
            return std::nullopt;
        }
        buffer.resize(static_cast<size_t>(n));
        return buffer;
    }
}

std::vector<std::vector<uint8_t>> HostSocket::ReceiveUntilQuiet(std::chrono::milliseconds quiet,
                                                                std::chrono::milliseconds limit)
{
    std::vector<std::vector<uint8_t>> out;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        std::optional<std::vector<uint8_t>> datagram = Receive(quiet);
        if (!datagram) {
            break;
        }
        out.push_back(std::move(*datagram));
    }
    return out;
}

nlohmann::json DeviceJson(int index, const std::string &auth, const std::string &password)
{
    char mac[18];
    std::snprintf(mac, sizeof mac, "02:00:00:00:%02x:%02x", (index >> 8) & 0xff, index & 0xff);
    return {
        {"mac", mac},
        {"ip", "10.77.1." + std::to_string(10 + index % 200)},
        {"mask", "255.255.255.0"},
        {"gateway", "10.77.1.254"},
        {"dns", "10.77.1.254"},
        {"dhcp", 0},
        {"name", "lab-" + std::to_string(index)},
        {"product", "7100-NT"},
        {"version", 512},
        {"advisory", 0},
        {"guid", "{4724141B-AEB4-4DBA-BE7F-D4A18AFA6EA5}"},
        {"password", password},
        {"auth", auth},
        {"magics", {"QUMA", "LORX", "TESK"}},
        {"replyDelayMs", 0},
        {"replyJitterMs", 0},
        {"rebootDowntimeMs", 2000},
    };
}

nlohmann::json Devices(const std::vector<nlohmann::json> &entries)
{
    return {{"devices", entries}};
}

std::vector<LoggedDatagram> Logged(const Simulator &simulator, const std::string &direction, uint16_t type)
{
    std::vector<LoggedDatagram> out;
    for (const nlohmann::json &line : simulator.Log()) {
        if (line.value("direction", "") != direction) {
            continue;
        }
        Bytes bytes = FromHex(line.value("bytes", ""));
        if (bytes.size() >= 8 && ((bytes[4] << 8) | bytes[5]) == type) {
            out.push_back({bytes, line.value("peer", "")});
        }
    }
    return out;
}

size_t DatagramsReceived(const Simulator &simulator)
{
    size_t count = 0;
    for (const nlohmann::json &line : simulator.Log()) {
        if (line.value("direction", "") == "in") {
            ++count;
        }
    }
    return count;
}

} // namespace kovr::test
