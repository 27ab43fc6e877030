#include "common/plan_apply.h"

#include "common/failure_text.h"
#include "common/ipv4_text.h"

#include <algorithm>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
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

// Which workers may take devices: the first `parallel`, and up to
// `parallelOnLoss` once datagrams are seen to get lost.
class WorkerGate {
public:
    explicit WorkerGate(const ApplySettings &settings)
        : open_(std::max(settings.parallel, 1u)), onLoss_(std::max(settings.parallel, settings.parallelOnLoss))
    {}
    unsigned Workers() const { return onLoss_; }
    void LossSeen()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            lossSeen_ = true;
            open_ = onLoss_;
        }
        changed_.notify_all();
    }
    bool Lossy() const
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return lossSeen_;
    }
    // Until worker `index` may start, or the work is all taken (false).
    bool WaitTurn(size_t index)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return index < open_ || allTaken_; });
        return index < open_;
    }
    void AllTaken()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            allTaken_ = true;
        }
        changed_.notify_all();
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    unsigned open_;
    const unsigned onLoss_;
    bool lossSeen_ = false;
    bool allTaken_ = false;
};

// What every query and command of a worker says before it asks again.
ResendNotice LossNotice(WorkerGate &gate)
{
    return [&gate](unsigned) { gate.LossSeen(); };
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

// The device asked for by its MAC: one the search missed, or one whose
// search reply can't show whether it offers a challenge. False when it
// doesn't answer. Where datagrams get lost, silence says less about
// whether a device is there; but the silence of a device that may not be
// there at all says nothing about loss.
bool LookUp(const ApplyCalls &calls, KOVR_HANDLE session, const PlanEntry &entry, const ApplySettings &settings,
            const WorkerGate &gate, KOVRDeviceInfoRecord &record)
{
    const Attempts attempts{gate.Lossy() ? kMaxAttempts : kDefaultAttempts, settings.deadline};
    return QueryDevice(calls.device, session, entry.mac.data(), record, attempts) == 0;
}

// After the device said it took the change: does it hold it?
void Verify(const ApplyCalls &calls, KOVR_HANDLE session, const PlanEntry &entry, const ApplySettings &settings,
            WorkerGate &gate, ReplyTrust trust, DeviceReport &report)
{
    KOVRDeviceInfoRecord now{};
    if (QueryDevice(calls.device, session, entry.mac.data(), now, UntilDeadline(settings), LossNotice(gate)) != 0) {
        report.outcome = Outcome::Unverified;
        report.detail = "the device took the change, but no query could confirm it";
        return;
    }
    if (!Trusted(now, trust)) {
        report.outcome = Outcome::Unverified;
        report.detail = "the device took the change, but the reply to the query that would confirm it came "
                        "without the device's challenge: someone may be impersonating it";
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

void Fail(DeviceReport &report, std::string detail)
{
    report.outcome = Outcome::Failed;
    report.detail = std::move(detail);
}

// Sends the entry's command until the device takes or refuses it, then
// makes sure it holds.
void Change(const ApplyCalls &calls, KOVR_HANDLE session, PlanEntry &entry, const ApplySettings &settings,
            WorkerGate &gate, Verdict verdict, DeviceReport &report)
{
    const Password *password = entry.password ? entry.password.get() : settings.sharedPassword;
    if (password == nullptr) {
        Fail(report, "no password");
        return;
    }
    CommandGuard *guard = settings.guard;
    // A worker's session serves several devices: each gets its own policy.
    if (guard != nullptr && !guard->Arm(session, verdict)) {
        Fail(report, "the library refused the command policy; nothing was sent");
        return;
    }
    const ReplyTrust trust = guard != nullptr ? TrustAfter(verdict) : ReplyTrust::AnyReply;
    const ChangeResult change = ChangeSettings(calls.device, session, entry.mac.data(), report.after, password->c_str(),
                                               UntilDeadline(settings), LossNotice(gate), trust);
    entry.password.reset();
    if (guard != nullptr && (change.status == ChangeStatus::Refused || change.status == ChangeStatus::Failed)) {
        if (const std::optional<Verdict> refusal = guard->Refusal(session, entry.mac, change.result)) {
            Fail(report, guard->Explain(*refusal, entry.mac));
            return;
        }
    }
    if (guard != nullptr && change.status == ChangeStatus::Acknowledged) {
        guard->Took(entry.mac, verdict);
    }
    switch (change.status) {
    case ChangeStatus::Acknowledged:
        Verify(calls, session, entry, settings, gate, trust, report);
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
    if (change.attempts == 0) {
        report.outcome = Outcome::Failed;
        report.detail = "the deadline passed before the change was sent";
    } else if (change.mayHaveTakenEffect) {
        report.outcome = Outcome::Unverified;
        report.detail = "no answer in time; the change may have been made";
    } else {
        report.outcome = Outcome::Failed;
        report.detail = "no answer in time";
    }
}

bool NeedsNothing(const PlanEntry &entry, const DeviceReport &report)
{
    return entry.request == Request::None || Holds(report.before, report.after);
}

void Work(const ApplyCalls &calls, KOVR_HANDLE session, PlanEntry &entry, const ApplySettings &settings,
          WorkerGate &gate, DeviceReport &report)
{
    CommandGuard *guard = settings.guard;
    const bool found = report.outcome != Outcome::NotFound;
    KOVRDeviceInfoRecord reply{};
    bool answered = false;
    if (!found || (guard != nullptr && (guard->IsPinned(entry.mac) || guard->WantsReply(entry.mac)))) {
        answered = LookUp(calls, session, entry, settings, gate, reply);
        if (!answered && !found) {
            return;
        }
        if (answered) {
            report.before = SettingsOf(reply);
        }
    }
    // Without a guard, as the library does by default.
    Verdict verdict = Verdict::Plain;
    if (guard != nullptr) {
        verdict = guard->Decide(entry.mac, answered ? &reply : nullptr);
        if (verdict == Verdict::Impostor) {
            Fail(report, guard->Explain(verdict, entry.mac));
            return;
        }
    }
    if (NeedsNothing(entry, report)) {
        report.outcome = Outcome::Unchanged;
        report.after = report.before;
        return;
    }
    if (verdict == Verdict::RefusedPlain) {
        Fail(report, guard->Explain(verdict, entry.mac));
        return;
    }
    if (guard != nullptr && verdict == Verdict::Plain && !guard->ApprovePlain(entry.mac)) {
        Fail(report, "not sent: the device offers no challenge, so its password would cross the network segment "
                     "in clear");
        return;
    }
    Change(calls, session, entry, settings, gate, verdict, report);
}

void RunWork(const ApplyCalls &calls, std::vector<PlanEntry> &entries, const std::vector<size_t> &work,
             const ApplySettings &settings, std::vector<DeviceReport> &reports)
{
    std::atomic<size_t> next{0};
    WorkerGate gate(settings);
    auto worker = [&](size_t index) {
        if (!gate.WaitTurn(index)) {
            return;
        }
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
                Work(calls, session.get(), entries[i], settings, gate, report);
            }
            entries[i].password.reset();
            Finish(settings, i, report);
        }
        gate.AllTaken();
    };
    const size_t workers = std::min<size_t>(gate.Workers(), work.size());
    std::vector<std::thread> threads;
    for (size_t w = 0; w < workers; ++w) {
        threads.emplace_back(worker, w);
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
            // A search reply carries no challenge, so for a pinned device
            // only its own answer to a query can show it needs nothing.
            const bool confirm = settings.guard != nullptr && !settings.dryRun && settings.guard->IsPinned(report.mac);
            if (Holds(report.before, report.after) && !confirm) {
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
            entries[i].password.reset();
            Finish(settings, i, report);
        }
    }
    RunWork(calls, entries, work, settings, reports);
    return reports;
}

} // namespace kovr::common
