// One simulated device: what it reports, how it authenticates, and the
// state that commands change.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "discovery/wire_bytes.h"

#include "common/ipv4_text.h"
#include "common/mac_address_text.h"
#include "tools/kovr-sim/named_values.h"

namespace kovr::sim {

using Clock = std::chrono::steady_clock;

enum class AuthMode { Digest, Plain };

// The names the command line and the device file give them by.
extern const NameTable<AuthMode, 2> kAuthModeNames;

struct Device {
    uint8_t mac[kMacSize] = {};
    // Addresses in network order, as they go on the wire.
    uint32_t ip = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
    uint32_t dns = 0;
    uint8_t dhcp = 0;
    std::string name;
    std::string product;
    uint16_t version = kProtocolVersion;
    uint16_t advisory = 0;
    KOVR_GUID guid = {};
    std::optional<std::vector<uint8_t>> tag22;
    std::optional<std::vector<uint8_t>> tag24;
    std::string password;
    AuthMode auth = AuthMode::Digest;
    std::vector<uint32_t> magics;
    std::chrono::milliseconds replyDelay{0};
    std::chrono::milliseconds replyJitter{0};
    std::chrono::milliseconds rebootDowntime{0};
    // Interface names it is reachable through; empty means all of the simulator's.
    std::vector<std::string> interfaces;
    std::vector<int> interfaceIndexes;

    // The last challenge handed out; a digest is checked against it once.
    bool hasChallenge = false;
    uint8_t challenge[kNonceSize] = {};
    // Restarting after a reboot: silent until then.
    Clock::time_point silentUntil{};

    bool AnswersMagic(uint32_t magic) const;
    bool ReachableOn(int ifindex) const;
    bool Silent(Clock::time_point now) const { return now < silentUntil; }
};

uint64_t MacKey(const uint8_t mac[kMacSize]);
// Addresses print as in the other programs.
using common::FormatIpv4;
using common::FormatMac;
// Four ASCII letters, first letter in the most significant byte.
bool ParseMagic(const std::string &text, uint32_t *magic);

} // namespace kovr::sim
