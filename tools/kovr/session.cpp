#include "tools/kovr/session.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/exit_status.h"
#include "tools/kovr/record_fields.h"

#include <iostream>

namespace kovr::cli {

KOVR_HANDLE OpenSession(const SessionChoice &choice)
{
    const KOVR_GUID guid = choice.guid.value_or(kLocatorSessionGuid);
    if (choice.magic) {
        return KOVROpen(*choice.magic, &guid);
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

std::string FailureText(const Session &session, int32_t result)
{
    return "failed (result " + std::to_string(result) + "); error " + std::to_string(session.LastError()) + ": " +
           Printable(session.LastErrorMessage());
}

int ReportResult(const Session &session, const std::string &action, int32_t result)
{
    if (result == 0) {
        return kExitSuccess;
    }
    std::cerr << "kovr: " << action << ' ' << FailureText(session, result) << '\n';
    // A preparatory query that timed out fails the call with -1 but leaves
    // the time-out as the last error.
    return result == KOVR_TIMED_OUT || session.LastError() == KOVR_TIMED_OUT ? kExitTimedOut : kExitFailure;
}

} // namespace kovr::cli
