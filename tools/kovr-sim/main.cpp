// kovr-sim: plays one to thousands of KOVR devices on the local network.
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>

#include <CLI/CLI.hpp>

#include "tools/kovr-sim/datagram_log.h"
#include "tools/kovr-sim/device_config.h"
#include "tools/kovr-sim/event_loop.h"
#include "tools/kovr-sim/misbehaviour.h"
#include "tools/kovr-sim/responder.h"
#include "tools/kovr-sim/udp_endpoint.h"

#include "common/ipv4_text.h"
#include "common/mac_address_text.h"

namespace {

using namespace kovr::sim;

struct Options {
    std::string configPath;
    size_t generate = 0;
    std::string firstMac = "02:00:01:00:00:01";
    std::string firstIp = "10.77.1.100";
    std::string namePrefix = "sim-";
    std::string auth = "digest";
    DeviceDefaults defaults;
    std::vector<std::string> interfaces;
    std::string group = "224.0.5.128";
    uint16_t port = 2362;
    std::string logPath;
    unsigned replyWindowMs = 0;
    unsigned replyDelayMs = 0;
    unsigned replyJitterMs = 0;
    unsigned rebootDowntimeMs = 2000;
    unsigned failResult = 1;
    unsigned failErrorNumber = 13;
    std::string failText = "Invalid password";
    Misbehaviour misbehaviour;
    std::string malformed;
    double floodRate = 0;
    std::string floodTo = "requester";
    uint64_t floodCount = 1000;
    std::string floodKind = "random";
    bool logReceivedOnly = false;
    uint64_t seed = 0;
};

void AddOptions(CLI::App &app, Options &o)
{
    app.add_option("-c,--config", o.configPath, "JSON device file (see tools/kovr-sim/examples)")
        ->check(CLI::ExistingFile);
    app.add_option("-g,--generate", o.generate, "Also play N generated devices with consecutive MACs and names");
    app.add_option("--first-mac", o.firstMac, "MAC of the first generated device")->capture_default_str();
    app.add_option("--first-ip", o.firstIp, "IP address of the first generated device")->capture_default_str();
    app.add_option("--name-prefix", o.namePrefix, "Generated devices are named PREFIX1, PREFIX2, ...")
        ->capture_default_str();
    app.add_option("--password", o.defaults.password,
                   "Password of generated devices and of device entries without one (default empty)");
    app.add_option("--auth", o.auth, "Authentication of generated devices and of entries without one")
        ->check(CLI::IsMember({"digest", "plain"}))
        ->capture_default_str();
    app.add_option("--product", o.defaults.product, "Product name of generated devices and of entries without one")
        ->capture_default_str();

    app.add_option("-i,--interface", o.interfaces,
                   "Join the group on this interface (repeatable; default every interface that is up, "
                   "multicast-capable and has an IPv4 address)");
    app.add_option("--group", o.group, "Multicast group")->capture_default_str();
    app.add_option("--port", o.port, "UDP port")->capture_default_str();
    app.add_option("--log", o.logPath,
                   "Log every datagram as a JSON line (ms, direction, peer, interface, device, length, "
                   "bytes in hex, note) to FILE, or to stdout with -");
    app.add_flag("--log-received-only", o.logReceivedOnly,
                 "Log only the datagrams received: no replies, no junk (the log would slow a burst or a flood "
                 "of thousands a second down)");

    app.add_option("--reply-window-ms", o.replyWindowMs,
                   "Spread the answers to an all-devices request evenly over this many milliseconds")
        ->capture_default_str();
    app.add_option("--reply-delay-ms", o.replyDelayMs, "Reply delay of devices that set none")->capture_default_str();
    app.add_option("--reply-jitter-ms", o.replyJitterMs, "Random extra delay, 0 to this, of devices that set none")
        ->capture_default_str();
    app.add_option("--reboot-downtime-ms", o.rebootDowntimeMs, "Silence after a reboot, for devices that set none")
        ->capture_default_str();

    app.add_option("--fail-result", o.failResult, "Result code of a command with a wrong password")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--fail-errno", o.failErrorNumber, "Error number of a command with a wrong password")
        ->check(CLI::Range(0, 255))
        ->capture_default_str();
    app.add_option("--fail-text", o.failText, "Error text of a command with a wrong password")->capture_default_str();

    const std::string misbehave = "Misbehaviour";
    app.add_option("--drop", o.misbehaviour.dropFraction, "Ignore this fraction (0 to 1) of received datagrams")
        ->check(CLI::Range(0.0, 1.0))
        ->group(misbehave);
    const auto numberList = [](NumberList &list) {
        return [&list](const std::string &text) {
            const std::optional<NumberList> parsed = NumberList::Parse(text);
            if (!parsed) {
                throw CLI::ValidationError("'" + text + "' is not a list of numbers from 1 (such as 1,3-4,9-)");
            }
            list = *parsed;
        };
    };
    app.add_option_function<std::string>("--ignore-requests", numberList(o.misbehaviour.ignoreRequests),
                                         "Ignore the requests received with these numbers, counted from 1: N, "
                                         "N-M or N- (N and every later one), comma-separated")
        ->type_name("LIST")
        ->group(misbehave);
    app.add_option_function<std::string>("--drop-replies", numberList(o.misbehaviour.dropReplies),
                                         "Never send the replies made with these numbers, counted from 1 in the "
                                         "order the devices make them (same form as --ignore-requests)")
        ->type_name("LIST")
        ->group(misbehave);
    app.add_flag("--answer-twice", o.misbehaviour.answerTwice, "Send every reply twice")->group(misbehave);
    app.add_flag("--wrong-magic", o.misbehaviour.wrongMagic, "Reply with another session's magic")->group(misbehave);
    app.add_flag("--wrong-type", o.misbehaviour.wrongType, "Reply with the request's type instead of the next one")
        ->group(misbehave);
    app.add_flag("--no-mac", o.misbehaviour.omitMac, "Leave the MAC field out of replies")->group(misbehave);
    app.add_flag("--no-result-code", o.misbehaviour.omitResultCode,
                 "Leave the result code field out of command replies")
        ->group(misbehave);
    app.add_flag("--ignore-commands", o.misbehaviour.ignoreCommands,
                 "Answer discovery requests but neither answer nor apply commands")
        ->group(misbehave);
    app.add_option("--malformed", o.malformed,
                   "Send one kind of malformed field in every reply: mac-length (4-byte MAC), ip-length (3-byte "
                   "IP address), nonce-length (13-byte challenge), integer-length (3-byte DHCP mode and result "
                   "code), truncated (header claims 16 bytes more than sent), overrun (last field runs past "
                   "the end)")
        ->check(CLI::IsMember(MalformationNames()))
        ->group(misbehave);
    app.add_flag("--oversize", o.misbehaviour.oversize, "Pad every reply beyond 1456 bytes with unknown fields")
        ->group(misbehave);
    app.add_option("--flood", o.floodRate, "Send junk datagrams at this many per second")
        ->check(CLI::Range(0.0, 1e6))
        ->group(misbehave);
    app.add_option("--flood-to", o.floodTo,
                   "Where the junk goes: ADDR:PORT, or requester (the sender of the latest datagram)")
        ->capture_default_str()
        ->group(misbehave);
    app.add_option("--flood-count", o.floodCount, "Stop flooding after this many junk datagrams")
        ->check(CLI::Range(uint64_t{1}, uint64_t{10000000}))
        ->capture_default_str()
        ->group(misbehave);
    app.add_option("--flood-kind", o.floodKind,
                   "What the junk is: random (random bytes), foreign (discovery replies of a device that isn't "
                   "there, with another magic, the request's type, no MAC, each kind of malformed field, or "
                   "oversize, in turn), or mixed (both in turn)")
        ->check(CLI::IsMember({"random", "foreign", "mixed"}))
        ->capture_default_str()
        ->group(misbehave);
    app.add_option("--seed", o.seed, "Seed for challenges, jitter, drops and junk (default: random)");
}

uint32_t ParseAddressOption(const std::string &option, const std::string &text)
{
    const std::optional<uint32_t> address = kovr::common::ParseIpv4(text);
    if (!address) {
        throw ConfigError(option + ": expected a dotted IPv4 address");
    }
    return *address;
}

std::vector<Device> BuildDevices(Options &o)
{
    o.defaults.auth = o.auth == "plain" ? AuthMode::Plain : AuthMode::Digest;
    o.defaults.replyDelay = std::chrono::milliseconds(o.replyDelayMs);
    o.defaults.replyJitter = std::chrono::milliseconds(o.replyJitterMs);
    o.defaults.rebootDowntime = std::chrono::milliseconds(o.rebootDowntimeMs);
    std::vector<Device> devices;
    if (!o.configPath.empty()) {
        devices = LoadDeviceFile(o.configPath, o.defaults);
    }
    if (o.generate > 0) {
        GenerateOptions generate;
        generate.count = o.generate;
        generate.namePrefix = o.namePrefix;
        const std::optional<kovr::common::MacAddress> firstMac = kovr::common::ParseMac(o.firstMac);
        if (!firstMac) {
            throw ConfigError("--first-mac: expected six hex octets");
        }
        std::copy(firstMac->begin(), firstMac->end(), generate.firstMac);
        generate.firstIp = ParseAddressOption("--first-ip", o.firstIp);
        std::vector<Device> generated = GenerateDevices(generate, o.defaults);
        devices.insert(devices.end(), std::make_move_iterator(generated.begin()),
                       std::make_move_iterator(generated.end()));
    }
    if (devices.empty()) {
        throw ConfigError("no devices: give --config FILE or --generate N");
    }
    return devices;
}

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

int Run(Options &o)
{
    std::vector<Device> devices = BuildDevices(o);
    const size_t deviceCount = devices.size();
    std::vector<NetworkInterface> interfaces = ChooseInterfaces(o.interfaces);
    ResolveInterfaces(devices, interfaces);
    const uint32_t group = ParseAddressOption("--group", o.group);
    if (!o.malformed.empty()) {
        o.misbehaviour.malformation = *ParseMalformation(o.malformed);
    }
    std::optional<sockaddr_in> floodTarget;
    if (o.floodTo != "requester") {
        sockaddr_in target{};
        if (!ParsePeer(o.floodTo, &target)) {
            throw ConfigError("--flood-to: expected ADDR:PORT or requester");
        }
        floodTarget = target;
    }
    const uint64_t seed = o.seed != 0 ? o.seed : std::random_device{}();
    FailureReply failure{static_cast<uint8_t>(o.failResult), static_cast<uint8_t>(o.failErrorNumber), o.failText};
    Responder responder(std::move(devices), o.misbehaviour, failure, std::chrono::milliseconds(o.replyWindowMs), seed);
    DatagramLog log(o.logPath);

    // Signals arrive through a descriptor that poll() watches, so the loop
    // finishes its step and everything is released on the way out.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigprocmask(SIG_BLOCK, &signals, nullptr);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        throw std::runtime_error(std::string("signalfd: ") + std::strerror(errno));
    }
    struct SignalFdCloser {
        int fd;
        ~SignalFdCloser() { close(fd); }
    } closer{signalFd};

    UdpEndpoint endpoint(interfaces, group, o.port);
    std::string names;
    for (const NetworkInterface &entry : interfaces) {
        names += (names.empty() ? "" : ",") + entry.name;
    }
    std::printf("kovr-sim: ready devices=%zu interfaces=%s group=%s port=%u\n", deviceCount, names.c_str(),
                o.group.c_str(), static_cast<unsigned>(o.port));
    std::fflush(stdout);

    const FloodKind floodKind = *ParseFloodKind(o.floodKind);
    EventLoop loop(endpoint, responder, log, interfaces,
                   o.floodRate > 0 ? JunkFlood(o.floodRate, o.floodCount, floodTarget, floodKind, Clock::now())
                                   : JunkFlood(),
                   !o.logReceivedOnly);
    loop.Run(signalFd);
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
    CLI::App app{"kovr-sim: simulated KOVR devices. Answers discovery requests and password-protected "
                 "commands for every device in the JSON file and every generated one, until SIGINT or SIGTERM. "
                 "Prints \"kovr-sim: ready ...\" on stdout once it has joined the group."};
    Options options;
    AddOptions(app, options);
    CLI11_PARSE(app, argc, argv);
    // A reader that goes away must not kill the simulator mid-step.
    signal(SIGPIPE, SIG_IGN);
    try {
        return Run(options);
    } catch (const ConfigError &error) {
        std::fprintf(stderr, "kovr-sim: %s\n", error.what());
        return 2;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kovr-sim: %s\n", error.what());
        return 1;
    }
}
