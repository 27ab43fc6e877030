// Changing a device's network settings when datagrams get lost. The library
// sends each command once and waits up to 30 seconds for its reply; a lost
// request and a lost reply look the same from here. So after a time-out the
// device is asked what it holds: the new settings mean the change was made
// and only its reply was lost; the old ones mean it is sent again. A device
// that answers with an error, a refused password among them, is never asked
// again. Queries that time out are asked again too.
//
// Public API only, through a table of calls, so that the tests can script
// the device's answers.
#pragma once

#include "common/device_challenge.h"

#include <kovr/kovr.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

namespace kovr::common {

// The first attempt included.
constexpr unsigned kDefaultAttempts = 3;
constexpr unsigned kMaxAttempts = 10;

struct DeviceCalls {
    int32_t (*getDeviceInfo)(KOVR_HANDLE h, const uint8_t *mac, KOVRDeviceInfoRecord *record);
    int32_t (*setNetwork)(KOVR_HANDLE h, const uint8_t *mac, uint32_t ip, uint32_t mask, uint32_t gateway,
                          const char *password);
    int32_t (*setDhcp)(KOVR_HANDLE h, const uint8_t *mac, int32_t mode, const char *password);
    int32_t (*getLastError)(KOVR_HANDLE h);
};

// A device's network settings as it reports them, or as asked for.
// Addresses in network byte order; they don't count while DHCP is on.
struct DeviceSettings {
    bool dhcp = false;
    uint32_t ip = 0;
    uint32_t mask = 0;
    uint32_t gateway = 0;
};
DeviceSettings SettingsOf(const KOVRDeviceInfoRecord &record);
// With DHCP on, a device's address is whatever the server gave it.
bool Holds(const DeviceSettings &current, const DeviceSettings &wanted);

using Clock = std::chrono::steady_clock;

struct Attempts {
    unsigned limit = kDefaultAttempts; // in all, the first included
    // No command or query starts after it, not even the first; one in
    // flight ends within the library's own limit.
    std::optional<Clock::time_point> deadline;
};

// Before each attempt after the first; the number of the coming attempt.
using ResendNotice = std::function<void(unsigned attempt)>;

// KOVRGetDeviceInfo, asked again after each time-out. Returns its result,
// or KOVR_TIMED_OUT when the deadline let no query start.
int32_t QueryDevice(const DeviceCalls &calls, KOVR_HANDLE session, const uint8_t *mac, KOVRDeviceInfoRecord &record,
                    const Attempts &attempts, const ResendNotice &onRetry = nullptr);

enum class ChangeStatus {
    Acknowledged, // the device replied that it took the change
    Confirmed,    // its reply was lost; a query showed the new settings
    Refused,      // the device answered with an error: never sent again
    Failed,       // a local failure: never sent again
    NoAnswer,     // every attempt timed out, or the deadline let none start
};

struct ChangeResult {
    ChangeStatus status = ChangeStatus::NoAnswer;
    int32_t result = 0;    // of the last command; after Refused and Failed, the last error is its
    unsigned attempts = 0; // commands made
    // NoAnswer: a command may have reached the device, and no query has
    // shown that it didn't.
    bool mayHaveTakenEffect = false;
};

// Asks for `wanted` (DHCP on, or the static address, mask and gateway)
// until the device takes it, refuses it, or the attempts run out. Only a
// reply that `trust` accepts can confirm a change whose reply was lost.
ChangeResult ChangeSettings(const DeviceCalls &calls, KOVR_HANDLE session, const uint8_t *mac,
                            const DeviceSettings &wanted, const char *password, const Attempts &attempts,
                            const ResendNotice &onResend = nullptr, ReplyTrust trust = ReplyTrust::AnyReply);

} // namespace kovr::common
