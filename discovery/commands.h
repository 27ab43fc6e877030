// Single-device operations: query, and the password-protected commands with
// the plain or challenge-digest authentication.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kovr {

struct DiscoverySession;
struct ReplyRecord;

// Challenge buffer: length (0 or 14), then the challenge bytes.
struct AuthNonce {
    uint8_t length;
    uint8_t bytes[14];
};

// One DiscoveryRequest for the target through every local interface, and the
// wait (queryTimeout) for its reply. 0, -1 local failure, -2 timed out.
int32_t QueryDevice(DiscoverySession *session, const uint8_t *target, ReplyRecord *record);
// The local address (network order) that reaches the device; false when none.
bool SelectLocalAddress(DiscoverySession *session, const uint8_t *target, uint32_t *localAddress);
int32_t FetchAuthNonce(DiscoverySession *session, const uint8_t *target, AuthNonce *nonce);
// MD5 over the challenge, the password, the two type bytes, then the fixed
// fields up to and including the authLength byte.
int32_t ComputeAuthDigest(const uint8_t nonce[14], const char *password, size_t passwordLength,
                          const uint8_t *fixedFields, size_t fixedLength, const uint8_t typeBytes[2],
                          uint8_t digest[16]);

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
// failure or failed preparatory query, -2 no reply within commandTimeout.
int32_t RunDeviceCommand(DiscoverySession *session, const uint8_t *target, const char *password,
                         const CommandArguments &arguments);

// A zeroing the compiler may not drop, for buffers that held a secret.
void SecureZero(void *data, size_t length);

} // namespace kovr
