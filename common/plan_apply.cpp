#include "common/plan_apply.h"

#include "common/failure_text.h"
#include "common/ipv4_text.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <thread>

namespace kovr::common {

namespace {

// A worker's session, closed however the worker ends.
using SessionHandle = std::unique_ptr<KOVRSession, void (*)(KOVR_HANDLE)>;

DeviceSettings Requested(const PlanEntry &entry)
{
    return {entry.request == Request::Dhcp, entry.setting.ip, entry.setting.mask, entry.setting.gateway};
}

// What differs, field by field: "ip is 10.0.0.5, not 10.0.0.9".
std::string Mismatch(const DeviceSettings &current, const DeviceSettings &wanted)
{
    if (wanted.dhcp != current.dhcp) {
        return std::string("mismatch: DHCP is ") + (current.dhcp ? "on" : "off");
    }
    std::string text;
    const std::pair<const char *, std::pair<uint32_t, uint32_t>> fields[] = {
        {"ip", {current.ip, wanted.ip}},
        {"mask", {current.mask, wanted.mask}},
        {"gateway", {current.gateway, wanted.gateway}}};
    for (const auto &[name, values] : fields) {
        if (values.first != values.second) {
            text += std::string(text.empty() ? "mismatch: " : ", ") + name + " is " + FormatIpv4(values.first) +
                    ", not " + FormatIpv4(values.second);
        }
    }
    return text;
}

// Until the deadline, however many times.
Attempts UntilDeadline(const ApplySettings &settings)
{
    return {UINT_MAX, settings.deadline};
}

bool Stopped(const ApplySettings &settings)
{
    return settings.stop != nullptr && settings.stop->load();
}

void Finish(const ApplySettings &settings, size_t index, const DeviceReport &report)
{
    if (settings.onReport) {
        settings.onReport(index, report);
    }
}

// A device the search missed, asked for by its MAC. False when it doesn't
// answer either.
bool LookUp(const ApplyCalls &calls, KOVR_HANDLE session, const PlanEntry &entry, const ApplySettings &settings,
            DeviceReport &report)
{
    KOVRDeviceInfoRecord record{};
    const Attempts attempts{kDefaultAttempts, settings.deadline};
    if (QueryDevice(calls.device, session, entry.mac.data(), record, attempts) != 0) {
        return false;
    }
    report.before = SettingsOf(record);
    return true;
}

// After the device said it took the change: does it hold it?
void Verify(const ApplyCalls &calls, KOVR_HANDLE session, const PlanEntry &entry, const ApplySettings &settings,
            DeviceReport &report)
{
    KOVRDeviceInfoRecord now{};
    if (QueryDevice(calls.device, session, entry.mac.data(), now, UntilDeadline(settings)) != 0) {
        report.outcome = Outcome::Unverified;
        report.detail = "the device took the change, but no query could confirm it";
        return;
    }
    const DeviceSettings after = SettingsOf(now);
    if (!Holds(after, report.after)) {
        report.outcome = Outcome::Failed;
        report.detail = Mismatch(after, report.after);
        return;
    }
    report.outcome = Outcome::Verified;
}

// Sends the entry's command until the device takes or refuses it, then
// makes sure it holds.
void Change(const ApplyCalls &calls, KOVR_HANDLE session, PlanEntry &entry, const ApplySettings &settings,
            DeviceReport &report)
{
    const Password *password = entry.password ? entry.password.get() : settings.sharedPassword;
    if (password == nullptr) {
        report.outcome = Outcome::Failed;
        report.detail = "no password";
        return;
    }
    const ChangeResult change = ChangeSettings(calls.device, session, entry.mac.data(), report.after, password->c_str(),
                                               UntilDeadline(settings));
    entry.password.reset();
    switch (change.status) {
    case ChangeStatus::Acknowledged:
        Verify(calls, session, entry, settings, report);
        return;
    case ChangeStatus::Confirmed:
        report.outcome = Outcome::Verified;
        report.detail = "its reply was lost; a query confirmed the change";
        return;
    case ChangeStatus::Refused:
    case ChangeStatus::Failed:
        report.outcome = Outcome::Failed;
        report.detail = FailureText(calls.device.getLastError, calls.getLastErrorMessage, session, change.result);
        return;
    case ChangeStatus::NoAnswer:
        break;
    }
    if (change.mayHaveTakenEffect) {
        report.outcome = Outcome::Unverified;
        report.detail = "no answer in time; the change may have been made";
    } else {
        report.outcome = Outcome::Failed;
        report.detail = "no answer in time";
    }
}

void Work(const ApplyCalls &calls, KOVR_HANDLE session, PlanEntry &entry, const ApplySettings &settings,
          DeviceReport &report)
{
    if (report.outcome == Outcome::NotFound) {
        if (!LookUp(calls, session, entry, settings, report)) {
            return;
        }
        if (entry.request == Request::None || Holds(report.before, report.after)) {
            report.outcome = Outcome::Unchanged;
            report.after = report.before;
            return;
        }
    }
    Change(calls, session, entry, settings, report);
}

void RunWork(const ApplyCalls &calls, std::vector<PlanEntry> &entries, const std::vector<size_t> &work,
             const ApplySettings &settings, std::vector<DeviceReport> &reports)
{
    std::atomic<size_t> next{0};
    auto worker = [&] {
        const SessionHandle session(calls.openSession(), calls.closeSession);
        for (size_t k = next++; k < work.size(); k = next++) {
            const size_t i = work[k];
            DeviceReport &report = reports[i];
            if (Stopped(settings)) {
                report.outcome = Outcome::Cancelled;
            } else if (!session) {
                report.outcome = Outcome::Failed;
                report.detail = "cannot open a library session";
            } else {
                Work(calls, session.get(), entries[i], settings, report);
            }
            entries[i].password.reset();
            Finish(settings, i, report);
        }
    };
    const size_t workers = std::min<size_t>(std::max(settings.parallel, 1u), work.size());
    std::vector<std::thread> threads;
    for (size_t w = 0; w < workers; ++w) {
        threads.emplace_back(worker);
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
}

} // namespace

DeviceSettings WantedSettings(const PlanEntry &entry, const DeviceSettings &current)
{
    return entry.request == Request::None ? current : Requested(entry);
}

std::vector<DeviceReport> ApplyPlan(const ApplyCalls &calls, std::vector<PlanEntry> &entries,
                                    const std::vector<KOVRDeviceInfoRecord> &found, const ApplySettings &settings)
{
    std::vector<DeviceReport> reports(entries.size());
    std::vector<size_t> work;
    for (size_t i = 0; i < entries.size(); ++i) {
        DeviceReport &report = reports[i];
        report.mac = entries[i].mac;
        report.after = Requested(entries[i]);
        const auto device = std::find_if(found.begin(), found.end(), [&](const KOVRDeviceInfoRecord &record) {
            return std::memcmp(record.macAddress, entries[i].mac.data(), entries[i].mac.size()) == 0;
        });
        if (device != found.end()) {
            report.before = SettingsOf(*device);
            report.after = WantedSettings(entries[i], report.before);
            if (Holds(report.before, report.after)) {
                report.outcome = Outcome::Unchanged;
                report.after = report.before;
            } else {
                report.outcome = Outcome::WouldChange;
            }
        }
        // A dry run sends nothing, not even to find a device the search
        // missed.
        if (!settings.dryRun && report.outcome != Outcome::Unchanged) {
            work.push_back(i);
        } else {
            Finish(settings, i, report);
        }
    }
    RunWork(calls, entries, work, settings, reports);
    for (PlanEntry &entry : entries) {
        entry.password.reset();
    }
    return reports;
}

} // namespace kovr::common
