// A session opened as the locator opens it, with its limits cut down so that
// a test which waits for silence takes a fraction of a second.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "guids.h"
#include "kovr/kovr.h"
#include "session.h"

namespace kovr::test {

struct Limits {
    std::chrono::milliseconds query{300};
    std::chrono::milliseconds command{300};
    std::chrono::milliseconds poll{20};
};

class DeviceSession {
public:
    explicit DeviceSession(Limits limits = {}) : handle_(KOVROpenByGuid(&kLocatorGuid))
    {
        DiscoverySession *session = FindSession(handle_);
        if (session == nullptr) {
            ADD_FAILURE() << "KOVROpenByGuid failed";
            return;
        }
        session->queryTimeout = -limits.query.count() * kTicksPerMillisecond;
        session->commandTimeout = -limits.command.count() * kTicksPerMillisecond;
        session->pollInterval = PollInterval{0, static_cast<int32_t>(limits.poll.count() * 1000)};
    }
    ~DeviceSession() { KOVRClose(handle_); }
    DeviceSession(const DeviceSession &) = delete;
    DeviceSession &operator=(const DeviceSession &) = delete;

    KOVR_HANDLE handle() const { return handle_; }
    DiscoverySession *session() const { return FindSession(handle_); }
    int32_t LastError() const { return KOVRGetLastError(handle_); }
    std::string LastMessage() const
    {
        char buffer[kErrorMessageSize] = {};
        KOVRGetLastErrorMessage(handle_, buffer, sizeof buffer);
        return buffer;
    }
    // Leaves a recognisable error state behind, to show that a call kept it.
    void MarkErrorState() { SetSessionError(session(), 77, "marker"); }

private:
    KOVR_HANDLE handle_;
};

} // namespace kovr::test
