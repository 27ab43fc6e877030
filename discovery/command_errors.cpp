#include "command_errors.h"

#include <cstdio>
#include <cstring>

#include "session.h"
#include "wire_format.h"

namespace kovr {

bool RefuseAllDevices(DiscoverySession *session, const uint8_t *target)
{
    if (!IsAllDevices(target)) {
        return false;
    }
    SetSessionError(session, kErrorLocal, kMessageInvalidAddress);
    return true;
}

void RecordNetworkError(DiscoverySession *session, int systemError)
{
    // Some failures (an injected fault, a platform call that sets no errno)
    // come without a reason; "Success" would be a misleading one.
    char reason[128] = "unknown failure";
    if (systemError != 0) {
        // The GNU strerror_r may return a static text instead of filling the buffer.
        const char *text = strerror_r(systemError, reason, sizeof reason);
        if (text != reason) {
            std::snprintf(reason, sizeof reason, "%s", text);
        }
    }
    char message[kErrorMessageSize];
    std::snprintf(message, sizeof message, "%s%s", kMessageNetworkErrorPrefix, reason);
    SetSessionError(session, kErrorLocal, message);
}

} // namespace kovr
