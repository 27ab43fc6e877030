#include "discovery/command_errors.h"

namespace kovr {

bool RefuseAllDevices(ErrorState &errors, const uint8_t target[kMacSize])
{
    if (!IsAllDevices(target)) {
        return false;
    }
    errors.Record(kInvalidAddress);
    return true;
}

int32_t RecordTransportFailure(ErrorState &errors, const TransportStatus &status)
{
    switch (status.outcome) {
    case Outcome::TimedOut:
        errors.Record(kTimedOut);
        return kTimedOut.number;
    case Outcome::NoLocalAddress:
        errors.Record(kNoLocalAddress);
        return -1;
    default:
        errors.RecordNetworkError(status.error);
        return -1;
    }
}

} // namespace kovr
