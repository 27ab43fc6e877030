#include "tools/kovr/plan_apply.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/record_fields.h"
#include "tools/kovr/session.h"

#include "common/library_calls.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <thread>

namespace kovr::cli {

namespace {

common::DeviceSettings Requested(const PlanEntry &entry)
{
    return {entry.request == Request::Dhcp, entry.setting.ip, entry.setting.mask, entry.setting.gateway};
}

// What differs, field by field: "ip is 10.0.0.5, not 10.0.0.9".
std::string Mismatch(const common::DeviceSettings &current, const common::DeviceSettings &wanted)
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
common::Attempts UntilDeadline(const ApplySettings &settings)
{
    return {UINT_MAX, settings.deadline};
}

// A device the search missed, asked for by its MAC. False when it doesn't
// answer either.
bool LookUp(Session &session, const PlanEntry &entry, const ApplySettings &settings, DeviceReport &report)
{
    KOVRDeviceInfoRecord record{};
    const common::Attempts attempts{common::kDefaultAttempts, settings.deadline};
    if (common::QueryDevice(common::LibraryDeviceCalls(), session.handle(), entry.mac.data(), record, attempts) != 0) {
        return false;
    }
    report.before = common::SettingsOf(record);
    return true;
}

// After the device said it took the change: does it hold it?
void Verify(Session &session, const PlanEntry &entry, const ApplySettings &settings, DeviceReport &report)
{
    KOVRDeviceInfoRecord now{};
    const int32_t queried = common::QueryDevice(common::LibraryDeviceCalls(), session.handle(), entry.mac.data(), now,
                                                UntilDeadline(settings));
    if (queried != 0) {
        report.outcome = Outcome::Unverified;
        report.detail = "the device took the change, but no query could confirm it";
        return;
    }
    const common::DeviceSettings after = common::SettingsOf(now);
    if (!common::Holds(after, report.after)) {
        report.outcome = Outcome::Failed;
        report.detail = Mismatch(after, report.after);
        return;
    }
    report.outcome = Outcome::Verified;
}

// Sends the entry's command until the device takes or refuses it, then
// makes sure it holds.
void Change(Session &session, PlanEntry &entry, const ApplySettings &settings, DeviceReport &report)
{
    const Password &password = entry.password ? *entry.password : *settings.sharedPassword;
    const common::ChangeResult change =
        common::ChangeSettings(common::LibraryDeviceCalls(), session.handle(), entry.mac.data(), report.after,
                               password.c_str(), UntilDeadline(settings));
    entry.password.reset();
    switch (change.status) {
    case common::ChangeStatus::Acknowledged:
        Verify(session, entry, settings, report);
        return;
    case common::ChangeStatus::Confirmed:
        report.outcome = Outcome::Verified;
        report.detail = "its reply was lost; a query confirmed the change";
        return;
    case common::ChangeStatus::Refused:
    case common::ChangeStatus::Failed:
        report.outcome = Outcome::Failed;
        report.detail = FailureText(session, change.result);
        return;
    case common::ChangeStatus::NoAnswer:
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

void Work(Session &session, PlanEntry &entry, const ApplySettings &settings, DeviceReport &report)
{
    if (report.outcome == Outcome::NotFound) {
        if (!LookUp(session, entry, settings, report)) {
            entry.password.reset();
            return;
        }
        if (entry.request == Request::None || common::Holds(report.before, report.after)) {
            report.outcome = Outcome::Unchanged;
            report.after = report.before;
            entry.password.reset();
            return;
        }
    }
    Change(session, entry, settings, report);
}

void RunWork(std::vector<PlanEntry> &entries, const std::vector<size_t> &work, const ApplySettings &settings,
             std::vector<DeviceReport> &reports)
{
    std::atomic<size_t> next{0};
    auto worker = [&] {
        Session session(SessionChoice{});
        for (size_t k = next++; k < work.size(); k = next++) {
            const size_t i = work[k];
            if (!session.valid()) {
                reports[i].outcome = Outcome::Failed;
                reports[i].detail = "cannot open a library session";
                entries[i].password.reset();
                continue;
            }
            Work(session, entries[i], settings, reports[i]);
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

std::vector<DeviceReport> ApplyPlan(std::vector<PlanEntry> &entries, const std::vector<KOVRDeviceInfoRecord> &found,
                                    const ApplySettings &settings)
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
        if (device == found.end()) {
            // Not in the search: a dry run sends nothing to find out more.
            if (!settings.dryRun) {
                work.push_back(i);
            }
            continue;
        }
        report.before = common::SettingsOf(*device);
        if (entries[i].request == Request::None || common::Holds(report.before, report.after)) {
            report.outcome = Outcome::Unchanged;
            report.after = report.before;
        } else if (settings.dryRun) {
            report.outcome = Outcome::WouldChange;
        } else {
            report.outcome = Outcome::WouldChange;
            work.push_back(i);
        }
    }
    RunWork(entries, work, settings, reports);
    for (PlanEntry &entry : entries) {
        entry.password.reset();
    }
    return reports;
}

} // namespace kovr::cli
