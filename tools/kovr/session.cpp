#include "tools/kovr/session.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/exit_status.h"

#include "common/failure_text.h"

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
    std::cerr << "kovr: " << action << ' '
              << common::FailureText(KOVRGetLastError, KOVRGetLastErrorMessage, session.handle(), result) << '\n';
    return common::IsTimeOut(result, session.LastError()) ? kExitTimedOut : kExitFailure;
}

} // namespace kovr::cli
