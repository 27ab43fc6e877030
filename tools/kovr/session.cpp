#include "tools/kovr/session.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/record_fields.h"

#include <iostream>

namespace kovr::cli {

KOVR_HANDLE OpenSession(const SessionChoice &choice)
{
    const KOVR_GUID guid = choice.guid.empty() ? kLocatorSessionGuid : *ParseGuid(choice.guid);
    if (!choice.magic.empty()) {
        return KOVROpen(*ParseMagic(choice.magic), &guid);
    }
    return KOVROpenByGuid(&guid);
}

Session::Session(const SessionChoice &choice) : choice_(choice), handle_(OpenSession(choice)) {}

Session::~Session()
{
    KOVRClose(handle_);
}

int32_t Session::LastError() const
{
    return KOVRGetLastError(handle_);
}

std::string Session::LastErrorMessage() const
{
    char message[256] = {};
    if (KOVRGetLastErrorMessage(handle_, message, sizeof message) != 0) {
        return {};
    }
    return message;
}

int ReportOpenFailure()
{
    std::cerr << "kovr: cannot open a library session\n";
    return kExitFailure;
}

int ReportResult(const Session &session, const std::string &action, int32_t result)
{
    if (result == 0) {
        return kExitSuccess;
    }
    const int32_t error = session.LastError();
    std::cerr << "kovr: " << action << " failed (result " << result << "); error " << error << ": "
              << Printable(session.LastErrorMessage()) << '\n';
    // A preparatory query that timed out fails the call with -1 but leaves
    // the time-out as the last error.
    return result == KOVR_TIMED_OUT || error == KOVR_TIMED_OUT ? kExitTimedOut : kExitFailure;
}

} // namespace kovr::cli
