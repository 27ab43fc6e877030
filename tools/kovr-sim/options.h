// kovr-sim's command line: every flag, read into the values it gives, and
// the exit status of a mistake in it. simulator_config.h makes a run's
// configuration of them.
#pragma once

#include <arpa/inet.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "kovr/kovr.h"
#include "tools/kovr-sim/device.h"
#include "tools/kovr-sim/device_config.h"
#include "tools/kovr-sim/misbehaviour.h"

namespace kovr::sim {

// A mistake in the command line or in the device file: nothing was sent.
constexpr int kExitUsage = 2;

struct Options {
    std::string configPath;
    size_t generate = 0;
    std::string firstMac = "02:00:01:00:00:01";
    std::string firstIp = "10.77.1.100";
    std::string namePrefix = "sim-";
    std::string auth = "digest";
    DeviceDefaults defaults;
    std::vector<std::string> interfaces;
    std::string group = FormatIpv4(htonl(KOVR_GROUP_ADDRESS));
    uint16_t port = KOVR_PORT;
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

// Reads the command line into *options. Returns the exit status when the
// program ends here: 0 after --help, kExitUsage after a mistake, which it
// reports on stderr.
std::optional<int> ParseCommandLine(int argc, char **argv, Options *options);

} // namespace kovr::sim
