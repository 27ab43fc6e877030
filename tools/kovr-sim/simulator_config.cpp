#include "tools/kovr-sim/simulator_config.h"

#include <iterator>
#include <random>

#include "tools/kovr-sim/device_config.h"

namespace kovr::sim {
namespace {

std::vector<Device> BuildDevices(const Options &o)
{
    std::vector<Device> devices;
    if (!o.configPath.empty()) {
        devices = LoadDeviceFile(o.configPath, o.defaults);
    }
    std::vector<Device> generated = GenerateDevices(o.generate, o.defaults);
    devices.insert(devices.end(), std::make_move_iterator(generated.begin()), std::make_move_iterator(generated.end()));
    if (devices.empty()) {
        throw ConfigError("no devices: give --config FILE or --generate N");
    }
    return devices;
}

} // namespace

SimulatorConfig ConfigFromOptions(const Options &o)
{
    SimulatorConfig config;
    config.devices = BuildDevices(o);
    config.interfaces = o.interfaces;
    config.group = o.group;
    config.port = o.port;
    config.logPath = o.logPath;
    config.logSent = !o.logReceivedOnly;
    config.misbehaviour = o.misbehaviour;
    config.failure = o.failure;
    config.replyWindow = o.replyWindow;
    config.seed = o.seed != 0 ? o.seed : std::random_device{}();
    config.flood = o.flood;
    return config;
}

} // namespace kovr::sim
