#include "discovery/command_errors.h"

namespace kovr {

bool RefuseAllDevices(ErrorState &errors, const uint8_t target[kMacSize])
{
    if (!IsAllDevices(target)) {
        return false;
    }
    errors.Record(Status::InvalidAddress);
    return true;
}

int32_t RecordTransportFailure(ErrorState &errors, const TransportStatus &status)
{
    switch (status.outcome) {
    case Outcome::TimedOut:
        errors.Record(Status::TimedOut);
        return KOVR_TIMED_OUT;
    case Outcome::NoLocalAddress:
        errors.Record(Status::NoLocalAddress);
        return KOVR_FAILED;
    default:
        errors.RecordNetworkError(status.error);
        return KOVR_FAILED;
    }
}

} // namespace kovr
