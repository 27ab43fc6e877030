// The digest that answers a device's challenge. Kept free of any network
// code, so that a simulated device can check digests with the same function.
#pragma once

#include <cstddef>
#include <cstdint>

#include "discovery/wire_bytes.h"

namespace kovr {

// MD5 over the challenge, the password, the two type bytes, then the fixed
// fields up to and including the authLength byte.
void ComputeAuthDigest(const uint8_t nonce[kNonceSize], const char *password, size_t passwordLength,
                       const uint8_t *fixedFields, size_t fixedLength, const uint8_t typeBytes[2],
                       uint8_t digest[kDigestSize]);
} // namespace kovr
