// How the device operations record their local failures, so that a failed
// call never leaves "Operation succeeded" behind.
#pragma once

#include <cstdint>

namespace kovr {

struct DiscoverySession;

// True (and -1 "Invalid device address" recorded) when the target is the
// all-devices address, which no single-device operation accepts.
bool RefuseAllDevices(DiscoverySession *session, const uint8_t *target);
// Records -1 "Network error: " and the reason for systemError (an errno value).
void RecordNetworkError(DiscoverySession *session, int systemError);

} // namespace kovr
