// Devices from the JSON device file, and devices generated in bulk.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "tools/kovr-sim/device.h"

namespace kovr::sim {

struct ConfigError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Values for keys that a device entry leaves out (and for generated devices).
struct DeviceDefaults {
    std::string password = "";
    AuthMode auth = AuthMode::Digest;
    std::string product = "7100-NT";
    std::chrono::milliseconds replyDelay{0};
    std::chrono::milliseconds replyJitter{0};
    std::chrono::milliseconds rebootDowntime{2000};
};

struct GenerateOptions {
    size_t count = 0;
    common::MacAddress firstMac = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
    uint32_t firstIp = 0; // network order
    std::string namePrefix = "sim-";
};

// Throws ConfigError naming the device and key at fault.
Device DeviceFromJson(const nlohmann::json &entry, const DeviceDefaults &defaults);
std::vector<Device> LoadDeviceFile(const std::string &path, const DeviceDefaults &defaults);
// Consecutive MACs and addresses, names prefix1, prefix2, ...
std::vector<Device> GenerateDevices(const GenerateOptions &options, const DeviceDefaults &defaults);

} // namespace kovr::sim
