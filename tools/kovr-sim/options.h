// kovr-sim's command line: every flag, read once into the typed value it
// gives, and the exit status of a mistake in it. simulator_config.h makes a
// run's configuration of them.
#pragma once

#include <arpa/inet.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kovr/kovr.h"
#include "tools/kovr-sim/device.h"
#include "tools/kovr-sim/device_config.h"
#include "tools/kovr-sim/misbehaviour.h"
#include "tools/kovr-sim/responder.h"

namespace kovr::sim {

// A mistake in the command line or in the device file: nothing was sent.
constexpr int kExitUsage = 2;

struct Options {
    std::string configPath;
    // 02:00:01:00:00:01 and 10.77.1.100 onwards, named sim-1, sim-2, ...
    GenerateOptions generate{0, {0x02, 0x00, 0x01, 0x00, 0x00, 0x01}, htonl(0x0A4D0164), "sim-"};
    DeviceDefaults defaults;
    std::vector<std::string> interfaces;
    uint32_t group = htonl(KOVR_GROUP_ADDRESS); // network order
    uint16_t port = KOVR_PORT;
    std::string logPath;
    bool logReceivedOnly = false;
    std::chrono::milliseconds replyWindow{0};
    FailureReply failure;
    Misbehaviour misbehaviour;
    FloodConfig flood;
    uint64_t seed = 0; // 0: random
};

// Reads the command line into *options. Returns the exit status when the
// program ends here: 0 after --help, kExitUsage after a mistake, which it
// reports on stderr.
std::optional<int> ParseCommandLine(int argc, char **argv, Options *options);

} // namespace kovr::sim
