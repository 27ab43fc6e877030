// What one run of the simulator plays and how: the devices, where it
// listens, and how it behaves and misbehaves, made from its options.
#pragma once

#include <netinet/in.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/kovr-sim/device.h"
#include "tools/kovr-sim/misbehaviour.h"
#include "tools/kovr-sim/options.h"
#include "tools/kovr-sim/responder.h"

namespace kovr::sim {

struct SimulatorConfig {
    std::vector<Device> devices;
    // Names; without any, every interface that is up, can multicast and has an IPv4 address.
    std::vector<std::string> interfaces;
    uint32_t group = 0; // network order
    uint16_t port = 0;
    std::string logPath;
    bool logSent = true;
    Misbehaviour misbehaviour;
    FailureReply failure;
    std::chrono::milliseconds replyWindow{0};
    uint64_t seed = 0;
    FloodConfig flood;
};

// Reads the device file and makes the generated devices. Throws ConfigError
// naming the device entry at fault.
SimulatorConfig ConfigFromOptions(const Options &options);

} // namespace kovr::sim
