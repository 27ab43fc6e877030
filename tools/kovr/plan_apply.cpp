#include "tools/kovr/plan_apply.h"

#include "tools/kovr/addresses.h"
#include "tools/kovr/record_fields.h"
#include "tools/kovr/session.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace kovr::cli {

namespace {

// The mode values of KOVRSetDHCP.
constexpr int32_t kDhcpOn = 1;

SettingView SettingOf(const KOVRDeviceInfoRecord &record)
{
    const bool dhcp = (record.presentFields & KOVR_FIELD_DHCP_MODE) != 0 && record.dhcpMode == kDhcpOn;
    return {dhcp, {record.ipAddress, record.subnetMask, record.gatewayAddress}};
}

SettingView Requested(const PlanEntry &entry)
{
    return {entry.request == Request::Dhcp, entry.setting};
}

// With DHCP on, a device's address is whatever the server gave it.
bool Satisfies(const SettingView &current, const SettingView &wanted)
{
    if (wanted.dhcp || current.dhcp) {
        return wanted.dhcp == current.dhcp;
    }
    return current.network.ip == wanted.network.ip && current.network.mask == wanted.network.mask &&
           current.network.gateway == wanted.network.gateway;
}

// What differs, field by field: "ip is 10.0.0.5, not 10.0.0.9".
std::string Mismatch(const SettingView &current, const SettingView &wanted)
{
    if (wanted.dhcp != current.dhcp) {
        return std::string("mismatch: DHCP is ") + (current.dhcp ? "on" : "off");
    }
    std::string text;
    const std::pair<const char *, std::pair<uint32_t, uint32_t>> fields[] = {
        {"ip", {current.network.ip, wanted.network.ip}},
        {"mask", {current.network.mask, wanted.network.mask}},
        {"gateway", {current.network.gateway, wanted.network.gateway}}};
    for (const auto &[name, values] : fields) {
        if (values.first != values.second) {
            text += std::string(text.empty() ? "mismatch: " : ", ") + name + " is " + FormatIpv4(values.first) +
                    ", not " + FormatIpv4(values.second);
        }
    }
    return text;
}

std::string FailureText(const Session &session, int32_t result)
{
    if (result == -2 || session.LastError() == -2) {
        return "no answer in time";
    }
    const std::string message = Printable(session.LastErrorMessage());
    return (result > 0 ? "refused by the device (result " : "failed (result ") + std::to_string(result) + ")" +
           (message.empty() ? "" : ": " + message);
}

// Sends the entry's command through the session, then queries the device
// to see that it took the new setting.
void Change(Session &session, PlanEntry &entry, const Password *sharedPassword, DeviceReport &report)
{
    const char *password = entry.password ? entry.password->c_str() : sharedPassword->c_str();
    const int32_t result = entry.request == Request::Dhcp
                               ? KOVRSetDHCP(session.handle(), entry.mac.data(), kDhcpOn, password)
                               : KOVRSetNetwork(session.handle(), entry.mac.data(), entry.setting.ip,
                                                entry.setting.mask, entry.setting.gateway, password);
    entry.password.reset();
    if (result != 0) {
        report.outcome = Outcome::Failed;
        report.detail = FailureText(session, result);
        return;
    }
    KOVRDeviceInfoRecord now{};
    const int32_t queried = KOVRGetDeviceInfo(session.handle(), entry.mac.data(), &now);
    if (queried != 0) {
        report.outcome = Outcome::Failed;
        report.detail = "changed, but the verifying query " + FailureText(session, queried);
        return;
    }
    const SettingView after = SettingOf(now);
    if (!Satisfies(after, report.after)) {
        report.outcome = Outcome::Failed;
        report.detail = Mismatch(after, report.after);
        return;
    }
    report.outcome = Outcome::Changed;
    report.detail = "verified";
}

void RunChanges(std::vector<PlanEntry> &entries, const std::vector<size_t> &toChange, const ApplySettings &settings,
                std::vector<DeviceReport> &reports)
{
    std::atomic<size_t> next{0};
    auto worker = [&] {
        Session session(SessionChoice{});
        for (size_t k = next++; k < toChange.size(); k = next++) {
            const size_t i = toChange[k];
            if (!session.valid()) {
                reports[i].outcome = Outcome::Failed;
                reports[i].detail = "cannot open a library session";
                entries[i].password.reset();
                continue;
            }
            Change(session, entries[i], settings.sharedPassword, reports[i]);
        }
    };
    const size_t workers = std::min<size_t>(std::max(settings.parallel, 1u), toChange.size());
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
    std::vector<size_t> toChange;
    for (size_t i = 0; i < entries.size(); ++i) {
        DeviceReport &report = reports[i];
        report.mac = entries[i].mac;
        report.after = Requested(entries[i]);
        const auto device = std::find_if(found.begin(), found.end(), [&](const KOVRDeviceInfoRecord &record) {
            return std::memcmp(record.macAddress, entries[i].mac.data(), entries[i].mac.size()) == 0;
        });
        if (device == found.end()) {
            report.outcome = Outcome::NotFound;
            continue;
        }
        report.before = SettingOf(*device);
        if (entries[i].request == Request::None || Satisfies(report.before, report.after)) {
            report.outcome = Outcome::Unchanged;
            report.after = report.before;
        } else if (settings.dryRun) {
            report.outcome = Outcome::WouldChange;
        } else {
            toChange.push_back(i);
        }
    }
    if (!settings.dryRun) {
        RunChanges(entries, toChange, settings, reports);
    }
    for (PlanEntry &entry : entries) {
        entry.password.reset();
    }
    return reports;
}

} // namespace kovr::cli
