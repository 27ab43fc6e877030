// A session opened as the locator opens it, with its limits cut down so that
// a test which waits for silence takes a fraction of a second.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "discovery/session.h"
#include "kovr/kovr.h"
#include "tests/support/guids.h"

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
        const SessionPointer session = FindSession(handle_);
        if (session == nullptr) {
            ADD_FAILURE() << "KOVROpenByGuid failed";
            return;
        }
        session->limits.queryTimeout = limits.query;
        session->limits.commandTimeout = limits.command;
        session->transport.pollInterval = limits.poll;
    }
    ~DeviceSession() { KOVRClose(handle_); }
    DeviceSession(const DeviceSession &) = delete;
    DeviceSession &operator=(const DeviceSession &) = delete;

    KOVR_HANDLE handle() const { return handle_; }
    SessionPointer session() const { return FindSession(handle_); }
    int32_t LastError() const { return KOVRGetLastError(handle_); }
    std::string LastMessage() const
    {
        char buffer[kErrorMessageSize] = {};
        KOVRGetLastErrorMessage(handle_, buffer, sizeof buffer);
        return buffer;
    }
    // Compares number and text at once, and shows both when they differ.
    ::testing::AssertionResult HasError(int32_t number, const std::string &message) const
    {
        if (LastError() == number && LastMessage() == message) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "error state " << LastError() << " \"" << LastMessage()
                                             << "\", expected " << number << " \"" << message << "\"";
    }
    // A local failure of the network, with the system's reason after the prefix.
    ::testing::AssertionResult HasNetworkError() const
    {
        if (LastError() == -1 && LastMessage().rfind("Network error: ", 0) == 0) {
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "error state " << LastError() << " \"" << LastMessage() << "\"";
    }
    // Leaves a recognisable error state behind, to show that a call kept it.
    void MarkErrorState() { session()->errors.Record(77, "marker"); }

private:
    KOVR_HANDLE handle_;
};

} // namespace kovr::test
