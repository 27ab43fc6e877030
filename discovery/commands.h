// Single-device operations: query, and the password-protected commands with
// the plain or challenge-digest authentication. They work on the settings
// and the error state they are given.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>

#include "discovery/errors.h"
#include "discovery/replies.h"
#include "discovery/requests.h"
#include "discovery/transport.h"

namespace kovr {

struct CommandLimits {
    std::chrono::milliseconds commandTimeout;
    std::chrono::milliseconds queryTimeout;
};

// What the caller allows the commands to send; KOVR_POLICY_* flags. Set
// while another thread may run a command on the same session.
struct CommandPolicy {
    std::atomic<uint32_t> flags{0};
    bool RequiresChallenge() const { return (flags.load() & KOVR_POLICY_REQUIRE_CHALLENGE) != 0; }
};
constexpr uint32_t kKnownPolicyFlags = KOVR_POLICY_REQUIRE_CHALLENGE;

// Everything a device operation works with: who asks, how the network is
// used, how long to wait, what may be sent, and where the outcome is
// recorded.
struct DeviceContext {
    const Identity &identity;
    const TransportSettings &transport;
    const CommandLimits &limits;
    const CommandPolicy &policy;
    ErrorState &errors;
};

// Challenge buffer: length (0 or 14), then the challenge bytes.
struct AuthNonce {
    uint8_t length;
    uint8_t bytes[kNonceSize];
};

// One DiscoveryRequest for the target through every local interface, and the
// wait (queryTimeout) for its reply. 0, -1 local failure, -2 timed out.
int32_t QueryDevice(const DeviceContext &context, const uint8_t target[kMacSize], ReplyRecord *record);
// The local address (network order) that reaches the device; false when none.
bool SelectLocalAddress(const DeviceContext &context, const uint8_t target[kMacSize], uint32_t *localAddress);
int32_t FetchAuthNonce(const DeviceContext &context, const uint8_t target[kMacSize], AuthNonce *nonce);

// The three password-protected commands; the reply type is the request type plus one.
struct CommandArguments {
    uint16_t requestType; // kRebootRequest, kSetNetworkRequest or kSetDhcpRequest
    uint32_t ipAddress;   // SetNetwork only, network order
    uint32_t subnetMask;
    uint32_t gatewayAddress;
    uint8_t dhcpMode; // SetDhcp only
};

// Chooses the interface, fetches the challenge, sends the request once and
// waits for the answer. 0 or the device's result code (1..255), -1 local
// failure or failed preparatory query, -2 no reply within commandTimeout;
// 1 without sending anything for a challenge of a wrong length, -1 (last
// error KOVR_ERROR_NO_CHALLENGE) for none when the policy requires one.
int32_t RunDeviceCommand(const DeviceContext &context, const uint8_t target[kMacSize], const char *password,
                         const CommandArguments &arguments);

} // namespace kovr
