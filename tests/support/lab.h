// Private network topologies for end-to-end tests and benchmarks, and the
// device simulator started inside them. Nothing here ever touches the
// machine's own network namespace.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/hex.h"
#include "tests/support/private_network.h"

namespace kovr::test {

enum class Topology {
    Single,   // one host interface h1 (10.77.1.1/24), devices behind d1 (10.77.1.2/24)
    Dual,     // also h2 (10.77.2.1/24) on a second link to d2 (10.77.2.2/24)
    Loopback, // devices share the host's namespace and talk over lo (127.0.0.1)
};

// Builds the topology around the calling process's own network namespace,
// which must be private (tests run under tests/netlab/isolated); refuses to run
// in the machine's default namespace. Devices live in a second, uniquely named
// namespace joined by veth pairs. Torn down by the destructor.
class Lab {
public:
    explicit Lab(Topology topology);
    ~Lab();
    Lab(const Lab &) = delete;
    Lab &operator=(const Lab &) = delete;

    Topology topology() const { return topology_; }
    // Host-side IPv4 addresses, in interface order ("10.77.1.1", and "10.77.2.1" for Dual).
    std::vector<std::string> HostAddresses() const;
    // Host-side interface names ("h1", and "h2" for Dual; "lo" for Loopback).
    std::vector<std::string> HostInterfaces() const;
    // Device-side interface names to give kovr-sim ("d1", and "d2" for Dual).
    std::vector<std::string> DeviceInterfaces() const;
    // Device-side IPv4 addresses, in interface order.
    std::vector<std::string> DeviceAddresses() const;
    // The device namespace's name under /run/netns; empty for Loopback.
    const std::string &DeviceNamespace() const { return deviceNamespace_; }

private:
    std::vector<std::string> PerLink(const std::string &loopback, const std::string &prefix,
                                     const std::string &suffix) const;
    void BuildVethLinks();
    void BuildLoopback();
    void TearDown() noexcept;

    Topology topology_;
    std::string deviceNamespace_;
};

// kovr-sim started in the lab's device namespace with a JSON config; the
// constructor waits for its ready line; the destructor stops it (SIGTERM).
// The simulator always gets --config, --log and one --interface per device
// interface of the lab; extraArgs come after them.
class Simulator {
public:
    Simulator(const Lab &lab, const nlohmann::json &config, std::vector<std::string> extraArgs = {},
              std::chrono::milliseconds readyTimeout = std::chrono::seconds(20));
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    pid_t pid() const { return pid_; }
    // The ready line as printed, e.g. "kovr-sim: ready devices=3 interfaces=d1 ...".
    const std::string &readyLine() const { return readyLine_; }
    // Every datagram logged so far (JSON lines: direction, hex bytes, peer, device).
    std::vector<nlohmann::json> Log() const;
    // Sends SIGTERM, waits, and returns the exit status (as from waitpid) and
    // what the simulator wrote to stdout after its ready line. Idempotent.
    int Stop(std::string *output = nullptr);

private:
    std::string directory_;
    std::string logPath_;
    std::string readyLine_;
    std::string output_;
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    int status_ = 0;
};

// A UDP socket as the library opens one on the host side: bound to one
// local address with a system-chosen port, multicast through that address
// with TTL 64, not a member of the group.
class HostSocket {
public:
    explicit HostSocket(const std::string &localAddress);
    ~HostSocket();
    HostSocket(const HostSocket &) = delete;
    HostSocket &operator=(const HostSocket &) = delete;

    int fd() const { return fd_; }
    uint16_t port() const;
    // Room for bursts of replies (forced past the system limit when allowed).
    void SetReceiveBuffer(int bytes);
    void SendToGroup(const std::vector<uint8_t> &datagram, const std::string &group = "224.0.5.128",
                     uint16_t port = 2362);
    // The next datagram, or nullopt when none arrives in time.
    std::optional<std::vector<uint8_t>> Receive(std::chrono::milliseconds timeout);
    // Every datagram until none has come for `quiet`, or `limit` has passed.
    std::vector<std::vector<uint8_t>> ReceiveUntilQuiet(std::chrono::milliseconds quiet,
                                                        std::chrono::milliseconds limit);

private:
    int fd_ = -1;
};

// The path of the kovr-sim binary these helpers start.
std::string SimulatorPath();

// A JSON device entry with every key filled, for tests to adjust.
nlohmann::json DeviceJson(int index, const std::string &auth = "digest", const std::string &password = "secret");
// A simulator config holding these device entries.
nlohmann::json Devices(const std::vector<nlohmann::json> &entries);

struct LoggedDatagram {
    Bytes bytes;
    std::string peer; // "address:port" of the host side
};
// The datagrams of one direction ("in" to the simulator, "out" from it) and
// one message type, in the order they were logged.
std::vector<LoggedDatagram> Logged(const Simulator &simulator, const std::string &direction, uint16_t type);
// How many datagrams the simulated devices have received.
size_t DatagramsReceived(const Simulator &simulator);

// Runs argv in the foreground; throws std::runtime_error with its stderr when it fails.
void RunCommand(const std::vector<std::string> &argv);

} // namespace kovr::test
