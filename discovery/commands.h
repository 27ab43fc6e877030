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

int32_t QueryDevice(DiscoverySession *session, const uint8_t *target, ReplyRecord *record);
// The local address (network order) that reaches the device; false when none.
bool SelectLocalAddress(DiscoverySession *session, const uint8_t *target, uint32_t *localAddress);
int32_t FetchAuthNonce(DiscoverySession *session, const uint8_t *target, AuthNonce *nonce);
// MD5 over the challenge, the password, the two type bytes, then the fixed
// fields up to and including the authLength byte.
int32_t ComputeAuthDigest(const uint8_t nonce[14], const char *password, size_t passwordLength,
                          const uint8_t *fixedFields, size_t fixedLength, const uint8_t typeBytes[2],
                          uint8_t digest[16]);

} // namespace kovr
