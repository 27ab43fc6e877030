// One library session for the life of a command, chosen by --magic and
// --guid, and the reporting of a failed device operation through it.
#pragma once

#include "tools/kovr/options.h"

#include <kovr/kovr.h>

#include <string>
#include <vector>

namespace kovr::cli {

class Session {
public:
    // KOVROpen when a magic is given (with --guid, or the locator's GUID),
    // otherwise KOVROpenByGuid, which lets the GUID choose the magic.
    explicit Session(const SessionChoice &choice);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    bool valid() const { return handle_ != nullptr; }
    KOVR_HANDLE handle() const { return handle_; }
    // How to open another session like this one; the caller closes it.
    const SessionChoice &choice() const { return choice_; }
    int32_t LastError() const;

private:
    SessionChoice choice_;
    KOVR_HANDLE handle_ = nullptr;
};

// A library session as chosen; null when it can't be opened.
KOVR_HANDLE OpenSession(const SessionChoice &choice);

// Prints why a session could not be opened and returns the exit status.
int ReportOpenFailure();

// For a device operation's result: 0 on success; otherwise prints what
// failed with the session's last error number and text on stderr and
// returns the exit status (time-outs apart from other failures).
int ReportResult(const Session &session, const std::string &action, int32_t result);

} // namespace kovr::cli
