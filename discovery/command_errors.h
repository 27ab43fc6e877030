// How the device operations record their local failures, so that a failed
// call never leaves "Operation succeeded" behind.
#pragma once

#include <cstdint>

#include "discovery/errors.h"
#include "discovery/transport.h"

namespace kovr {

// True (and -1 "Invalid device address" recorded) when the target is the
// all-devices address, which no single-device operation accepts.
bool RefuseAllDevices(ErrorState &errors, const uint8_t target[kMacSize]);
// Records what a transport operation that did not succeed came to, and
// returns the operation's result: -2 for a time-out, otherwise -1.
int32_t RecordTransportFailure(ErrorState &errors, const TransportStatus &status);

} // namespace kovr
