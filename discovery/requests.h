// The requests the library sends, and the one table of their layouts that
// the simulated devices read them with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "discovery/wire_bytes.h"

namespace kovr {

constexpr size_t kDiscoveryRequestSize = 36;
// Largest command request: SetNetwork fixed fields, a 255-byte plain password.
constexpr size_t kMaxCommandRequestSize = kHeaderSize + 18 + 1 + 255 + kVersionFieldSize + kGuidFieldSize;

// Where the fixed fields of each command request put the target MAC, and
// how many bytes they take before the authLength byte.
struct RequestLayout {
    MessageType type;
    size_t fixedLength;
    size_t macOffset;
};

// The layout of a command request type, or null for any other type.
const RequestLayout *FindRequestLayout(uint16_t type);

void BuildDiscoveryRequest(const Identity &identity, const uint8_t target[kMacSize],
                           uint8_t out[kDiscoveryRequestSize]);

// A command request under construction: header and fixed fields first, then
// the authentication part. authLengthOffset is where the authLength byte goes.
struct CommandRequest {
    uint8_t bytes[kMaxCommandRequestSize];
    size_t authLengthOffset;
    size_t length;
};

void BeginRebootRequest(const Identity &identity, const uint8_t mac[kMacSize], CommandRequest *request);
void BeginSetNetworkRequest(const Identity &identity, const uint8_t mac[kMacSize], uint32_t ip, uint32_t mask,
                            uint32_t gateway, CommandRequest *request);
void BeginSetDhcpRequest(const Identity &identity, const uint8_t mac[kMacSize], uint8_t mode, CommandRequest *request);
// The password in clear: authLength n, n bytes, no trailer. False when n > 255.
bool FinishPlainRequest(CommandRequest *request, const char *password, size_t passwordLength);
// authLength 16, the digest, the version field and the GUID field.
void FinishDigestRequest(const Identity &identity, CommandRequest *request, const uint8_t digest[kDigestSize]);

} // namespace kovr
