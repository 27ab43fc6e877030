#include "common/settings_change.h"

#include "common/dhcp_mode.h"
#include "common/failure_text.h"

namespace kovr::common {

namespace {

bool BeforeDeadline(const Attempts &attempts)
{
    return !attempts.deadline || Clock::now() < *attempts.deadline;
}

bool MayStart(const Attempts &attempts, unsigned made)
{
    return made < attempts.limit && BeforeDeadline(attempts);
}

int32_t SendOnce(const DeviceCalls &calls, KOVR_HANDLE session, const uint8_t *mac, const DeviceSettings &wanted,
                 const char *password)
{
    if (wanted.dhcp) {
        return calls.setDhcp(session, mac, KOVR_DHCP_ENABLED, password);
    }
    return calls.setNetwork(session, mac, wanted.ip, wanted.mask, wanted.gateway, password);
}

} // namespace

DeviceSettings SettingsOf(const KOVRDeviceInfoRecord &record)
{
    return {IsDhcpOn(record), record.ipAddress, record.subnetMask, record.gatewayAddress};
}

bool Holds(const DeviceSettings &current, const DeviceSettings &wanted)
{
    if (wanted.dhcp || current.dhcp) {
        return wanted.dhcp == current.dhcp;
    }
    return current.ip == wanted.ip && current.mask == wanted.mask && current.gateway == wanted.gateway;
}

int32_t QueryDevice(const DeviceCalls &calls, KOVR_HANDLE session, const uint8_t *mac, KOVRDeviceInfoRecord &record,
                    const Attempts &attempts, const ResendNotice &onRetry)
{
    int32_t result = KOVR_TIMED_OUT;
    for (unsigned made = 0; MayStart(attempts, made); ++made) {
        if (made > 0 && onRetry) {
            onRetry(made + 1);
        }
        result = calls.getDeviceInfo(session, mac, &record);
        if (result != KOVR_TIMED_OUT) {
            break;
        }
    }
    return result;
}

ChangeResult ChangeSettings(const DeviceCalls &calls, KOVR_HANDLE session, const uint8_t *mac,
                            const DeviceSettings &wanted, const char *password, const Attempts &attempts,
                            const ResendNotice &onResend, ReplyTrust trust)
{
    ChangeResult outcome;
    while (MayStart(attempts, outcome.attempts)) {
        if (outcome.attempts > 0 && onResend) {
            onResend(outcome.attempts + 1);
        }
        ++outcome.attempts;
        outcome.result = SendOnce(calls, session, mac, wanted, password);
        if (outcome.result == 0) {
            outcome.status = ChangeStatus::Acknowledged;
            return outcome;
        }
        if (outcome.result > 0) {
            outcome.status = ChangeStatus::Refused;
            return outcome;
        }
        if (!IsTimeOut(outcome.result, calls.getLastError(session))) {
            outcome.status = ChangeStatus::Failed;
            return outcome;
        }
        // Only a command that went out may have changed something; a
        // preparatory query that timed out sent nothing.
        if (outcome.result == KOVR_TIMED_OUT) {
            outcome.mayHaveTakenEffect = true;
        }
        if (!outcome.mayHaveTakenEffect) {
            continue;
        }
        // A query is started only before the deadline, like a command.
        if (!BeforeDeadline(attempts)) {
            break;
        }
        // Whoever answers for a device that offered a challenge without one
        // may have read the change on the wire and be echoing it.
        KOVRDeviceInfoRecord now{};
        if (calls.getDeviceInfo(session, mac, &now) == 0 && Trusted(now, trust)) {
            if (Holds(SettingsOf(now), wanted)) {
                outcome.status = ChangeStatus::Confirmed;
                return outcome;
            }
            outcome.mayHaveTakenEffect = false;
        }
    }
    outcome.status = ChangeStatus::NoAnswer;
    return outcome;
}

} // namespace kovr::common
