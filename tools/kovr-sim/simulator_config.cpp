#include "tools/kovr-sim/simulator_config.h"

#include <iterator>
#include <random>

#include "common/ipv4_text.h"
#include "common/mac_address_text.h"
#include "tools/kovr-sim/device_config.h"
#include "tools/kovr-sim/udp_endpoint.h"

namespace kovr::sim {
namespace {

uint32_t ParseAddressOption(const std::string &option, const std::string &text)
{
    const std::optional<uint32_t> address = common::ParseIpv4(text);
    if (!address) {
        throw ConfigError(option + ": expected a dotted IPv4 address");
    }
    return *address;
}

DeviceDefaults DefaultsOf(const Options &o)
{
    DeviceDefaults defaults = o.defaults;
    defaults.auth = o.auth == "plain" ? AuthMode::Plain : AuthMode::Digest;
    defaults.replyDelay = std::chrono::milliseconds(o.replyDelayMs);
    defaults.replyJitter = std::chrono::milliseconds(o.replyJitterMs);
    defaults.rebootDowntime = std::chrono::milliseconds(o.rebootDowntimeMs);
    return defaults;
}

std::vector<Device> BuildDevices(const Options &o)
{
    const DeviceDefaults defaults = DefaultsOf(o);
    std::vector<Device> devices;
    if (!o.configPath.empty()) {
        devices = LoadDeviceFile(o.configPath, defaults);
    }
    if (o.generate > 0) {
        GenerateOptions generate;
        generate.count = o.generate;
        generate.namePrefix = o.namePrefix;
        const std::optional<common::MacAddress> firstMac = common::ParseMac(o.firstMac);
        if (!firstMac) {
            throw ConfigError("--first-mac: expected six hex octets");
        }
        std::copy(firstMac->begin(), firstMac->end(), generate.firstMac);
        generate.firstIp = ParseAddressOption("--first-ip", o.firstIp);
        std::vector<Device> generated = GenerateDevices(generate, defaults);
        devices.insert(devices.end(), std::make_move_iterator(generated.begin()),
                       std::make_move_iterator(generated.end()));
    }
    if (devices.empty()) {
        throw ConfigError("no devices: give --config FILE or --generate N");
    }
    return devices;
}

FloodConfig FloodOf(const Options &o)
{
    FloodConfig flood{o.floodRate, o.floodCount, std::nullopt, *ParseFloodKind(o.floodKind)};
    if (o.floodTo != "requester") {
        sockaddr_in target{};
        if (!ParsePeer(o.floodTo, &target)) {
            throw ConfigError("--flood-to: expected ADDR:PORT or requester");
        }
        flood.target = target;
    }
    return flood;
}

} // namespace

SimulatorConfig ConfigFromOptions(const Options &o)
{
    SimulatorConfig config;
    config.devices = BuildDevices(o);
    config.interfaces = o.interfaces;
    config.group = ParseAddressOption("--group", o.group);
    config.port = o.port;
    config.logPath = o.logPath;
    config.logSent = !o.logReceivedOnly;
    config.misbehaviour = o.misbehaviour;
    if (!o.malformed.empty()) {
        config.misbehaviour.malformation = *ParseMalformation(o.malformed);
    }
    config.failure = {static_cast<uint8_t>(o.failResult), static_cast<uint8_t>(o.failErrorNumber), o.failText};
    config.replyWindow = std::chrono::milliseconds(o.replyWindowMs);
    config.seed = o.seed != 0 ? o.seed : std::random_device{}();
    config.flood = FloodOf(o);
    return config;
}

} // namespace kovr::sim
